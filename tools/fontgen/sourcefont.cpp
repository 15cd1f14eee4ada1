#include "sourcefont.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BDF_H

#include <unicode/ucnv.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace glintag::fontgen {

struct SourceFont::Handles {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    UConverter *converter = nullptr; // null for Unicode fonts

    ~Handles()
    {
        if (converter)
            ucnv_close(converter);
        if (face)
            FT_Done_Face(face);
        if (library)
            FT_Done_FreeType(library);
    }
};

namespace {

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string bdfAtom(FT_Face face, const char *name)
{
    BDF_PropertyRec prop;
    if (FT_Get_BDF_Property(face, name, &prop) == 0 && prop.type == BDF_PROPERTY_TYPE_ATOM && prop.u.atom)
        return prop.u.atom;
    return {};
}

// The ICU converter that yields the font's own byte codes (high bit set)
// for each registry we know; empty for Unicode-encoded fonts.
std::optional<std::string> converterForRegistry(const std::string &registry)
{
    const std::string r = lower(registry);
    if (r.rfind("iso10646", 0) == 0 || r.rfind("iso8859", 0) == 0)
        return std::string();
    if (r.rfind("jisx0208", 0) == 0)
        return std::string("EUC-JP");
    if (r.rfind("ksc5601", 0) == 0)
        return std::string("EUC-KR");
    if (r.rfind("gb2312", 0) == 0)
        return std::string("GB2312");
    return std::nullopt;
}

int strikeIndex(FT_Face face, int pixelSize)
{
    for (int i = 0; i < face->num_fixed_sizes; ++i)
        if ((face->available_sizes[i].y_ppem + 32) / 64 == pixelSize)
            return i;
    return -1;
}

} // namespace

SourceFont::~SourceFont() = default;

std::unique_ptr<SourceFont> SourceFont::open(const FontSource &source, const std::vector<std::string> &folders,
                                             std::string *error)
{
    std::string path;
    for (const std::string &name : source.fileNames) {
        for (const std::string &folder : folders) {
            const std::filesystem::path candidate = std::filesystem::path(folder) / name;
            std::error_code ec;
            if (std::filesystem::is_regular_file(candidate, ec)) {
                path = candidate.string();
                break;
            }
        }
        if (!path.empty())
            break;
    }
    if (path.empty()) {
        std::string folderList;
        for (const std::string &folder : folders)
            folderList += (folderList.empty() ? "" : ", ") + folder;
        *error = "source font \"" + source.fileNames.front() + "\" not found in " + folderList
            + "; install the Debian package " + source.package;
        return nullptr;
    }

    std::unique_ptr<SourceFont> font(new SourceFont);
    font->m_path = path;
    font->m_handles = std::make_unique<Handles>();
    Handles &h = *font->m_handles;
    if (FT_Init_FreeType(&h.library) != 0) {
        *error = "cannot start FreeType";
        return nullptr;
    }
    if (FT_New_Face(h.library, path.c_str(), 0, &h.face) != 0) {
        *error = "cannot read the font " + path + " (package " + source.package + ")";
        return nullptr;
    }
    const int strike = strikeIndex(h.face, source.pixelSize);
    if (strike < 0 || FT_Select_Size(h.face, strike) != 0) {
        *error = path + " has no " + std::to_string(source.pixelSize) + "-pixel strike";
        return nullptr;
    }

    font->m_registry = bdfAtom(h.face, "CHARSET_REGISTRY");
    const std::optional<std::string> converterName = converterForRegistry(font->m_registry);
    if (!converterName) {
        *error = path + " uses the unsupported registry \"" + font->m_registry + "\"";
        return nullptr;
    }
    if (converterName->empty()) {
        if (FT_Select_Charmap(h.face, FT_ENCODING_UNICODE) != 0) {
            *error = path + " has no Unicode charmap";
            return nullptr;
        }
    } else {
        // FreeType exposes such fonts through one charmap without an
        // encoding tag, and does not select it by itself.
        if (h.face->num_charmaps < 1 || FT_Set_Charmap(h.face, h.face->charmaps[0]) != 0) {
            *error = path + " has no charmap";
            return nullptr;
        }
        UErrorCode status = U_ZERO_ERROR;
        h.converter = ucnv_open(converterName->c_str(), &status);
        if (U_FAILURE(status)) {
            *error = "ICU has no converter " + *converterName;
            return nullptr;
        }
        // Accept the converter's fallbacks: the code page and the font's
        // encoding sometimes pick different code points for one drawing.
        ucnv_setFallback(h.converter, true);
        ucnv_setFromUCallBack(h.converter, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    }
    return font;
}

unsigned SourceFont::glyphIndex(char32_t codePoint)
{
    Handles &h = *m_handles;
    if (!h.converter)
        return FT_Get_Char_Index(h.face, codePoint);

    UChar units[2];
    int32_t length = 0;
    U16_APPEND_UNSAFE(units, length, static_cast<UChar32>(codePoint));
    char bytes[8];
    UErrorCode status = U_ZERO_ERROR;
    ucnv_reset(h.converter);
    const int32_t n = ucnv_fromUChars(h.converter, bytes, sizeof bytes, units, length, &status);
    // Only the two-byte main plane maps to the font; single-shift codes
    // (half-width kana, supplementary planes) lead with 0x8E / 0x8F.
    if (U_FAILURE(status) || n != 2)
        return 0;
    const auto lead = static_cast<unsigned char>(bytes[0]);
    const auto trail = static_cast<unsigned char>(bytes[1]);
    if (lead < 0xA1 || lead > 0xFE || trail < 0xA1 || trail > 0xFE)
        return 0;
    return FT_Get_Char_Index(h.face, ((lead << 8) | trail) & 0x7F7F);
}

std::optional<GlyphImage> SourceFont::glyph(char32_t codePoint)
{
    const unsigned index = glyphIndex(codePoint);
    if (index == 0)
        return std::nullopt;
    FT_Face face = m_handles->face;
    if (FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0)
        return std::nullopt;
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap &bitmap = slot->bitmap;
    const int width = static_cast<int>(bitmap.width);
    const int height = static_cast<int>(bitmap.rows);
    std::vector<std::uint8_t> dots(static_cast<std::size_t>(width * height));
    for (int y = 0; y < height; ++y) {
        const unsigned char *row = bitmap.buffer + static_cast<std::ptrdiff_t>(y) * bitmap.pitch;
        for (int x = 0; x < width; ++x) {
            bool on;
            if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO)
                on = row[x / 8] & (0x80 >> (x % 8));
            else
                on = row[x] >= 128;
            dots[static_cast<std::size_t>(y * width + x)] = on ? 1 : 0;
        }
    }
    return GlyphImage::fromDots(slot->bitmap_left, -slot->bitmap_top, width, height, dots);
}

} // namespace glintag::fontgen
