namespace glintag { void corePlaceholder() {} }
