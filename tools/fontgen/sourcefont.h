#pragma once

#include "glyphbox.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace glintag::fontgen {

// Where a source font may lie and which Debian package installs it.
struct FontSource {
    std::vector<std::string> fileNames; // first found wins
    std::string package;
    int pixelSize = 12; // the strike to use
};

// One bitmap font read with FreeType. Fonts whose registry is not Unicode
// are reached through the ICU converter of their own encoding: a code point
// is converted to that encoding's two bytes and masked to the 7-bit form the
// font's charmap uses.
class SourceFont {
public:
    ~SourceFont();
    SourceFont(const SourceFont &) = delete;
    SourceFont &operator=(const SourceFont &) = delete;

    // Finds the first of source.fileNames in the folders and opens it. On
    // failure returns null and puts a message for the user in *error.
    static std::unique_ptr<SourceFont> open(const FontSource &source, const std::vector<std::string> &folders,
                                            std::string *error);

    const std::string &path() const { return m_path; }
    const std::string &registry() const { return m_registry; }

    // The glyph for a Unicode code point, or nothing if the font lacks it.
    std::optional<GlyphImage> glyph(char32_t codePoint);

private:
    SourceFont() = default;
    unsigned glyphIndex(char32_t codePoint);

    struct Handles;
    std::unique_ptr<Handles> m_handles;
    std::string m_path;
    std::string m_registry;
};

} // namespace glintag::fontgen
