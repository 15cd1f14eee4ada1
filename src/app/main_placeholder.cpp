namespace glintag { void guiPlaceholder() {} }
