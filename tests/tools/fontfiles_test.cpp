// Checks the font files the build wrote into the bin folder.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

const std::string kBinDir = GLINTAG_BIN_DIR;
constexpr std::size_t kWideRecords = 126 * 191;
const char *const kFamilies[] = {"HzK12", "TwK12", "JpK12", "KrK12"};

Bytes readFont(const std::string &name)
{
    std::ifstream in(kBinDir + "/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::size_t wideOffset(int lead, int trail)
{
    return 24 * static_cast<std::size_t>((lead - 0x81) * 191 + (trail - 0x40));
}

// Row r of the 24-byte record at offset, as a 16-dot word.
std::uint16_t wideRow(const Bytes &font, std::size_t offset, int r)
{
    return static_cast<std::uint16_t>(font[offset + 2 * r] << 8 | font[offset + 2 * r + 1]);
}

bool recordHasInk(const Bytes &font, std::size_t offset, std::size_t size)
{
    for (std::size_t i = 0; i < size; ++i)
        if (font[offset + i])
            return true;
    return false;
}

// Lowest row with ink in a 12-byte record, -1 if blank.
int bottomRow(const Bytes &ascii, int code)
{
    for (int r = 11; r >= 0; --r)
        if (ascii[12 * code + r])
            return r;
    return -1;
}

} // namespace

TEST(FontFiles, AllNineHaveTheirFullSize)
{
    const std::pair<const char *, std::size_t> files[] = {
        {"ASC12", 3072},     {"HzK12", 577584},  {"TwK12", 577584},
        {"JpK12", 577584},   {"KrK12", 577584},  {"HzK12V", 577584},
        {"TwK12V", 577584},  {"JpK12V", 577584}, {"KrK12V", 577584},
    };
    for (const auto &[name, size] : files)
        EXPECT_EQ(readFont(name).size(), size) << name;
}

TEST(FontFiles, KnownCharactersAreDrawnAndGapsStayBlank)
{
    struct Case
    {
        const char *file;
        int lead, trail;
        bool inked;
    };
    const Case cases[] = {
        {"HzK12", 0xD6, 0xD0, true},   // 中 in windows-936
        {"TwK12", 0xA4, 0xA4, true},   // 中 in Big5
        {"JpK12", 0x82, 0xA0, true},   // あ
        {"JpK12", 0x88, 0xA3, true},   // 亜, the first level-1 kanji
        {"KrK12", 0xC7, 0xD1, true},   // 한
        {"KrK12", 0x81, 0x41, true},   // 갂, outside KS X 1001
        {"HzK12", 0xB0, 0xA1, true},   // 啊
        {"HzK12", 0xA2, 0x40, false},  // not in the code page
        {"HzK12", 0xAA, 0xA1, false},  // user-defined area
        {"HzK12", 0xA1, 0xA1, false},  // ideographic space
        {"TwK12", 0x81, 0x40, false},  // user-defined area
        {"JpK12", 0xB1, 0x41, false},  // 0xB1 is a single-byte kana
        {"KrK12", 0xC7, 0x40, false},  // trail byte not used by the code page
    };
    for (const Case &c : cases) {
        for (const std::string suffix : {"", "V"}) {
            const Bytes font = readFont(c.file + suffix);
            ASSERT_EQ(font.size(), kWideRecords * 24) << c.file << suffix;
            EXPECT_EQ(recordHasInk(font, wideOffset(c.lead, c.trail), 24), c.inked)
                << c.file << suffix << " " << std::hex << c.lead << " " << c.trail;
        }
    }
    // The long middle stroke of 中 runs through at least nine rows of one column.
    for (const auto &[file, lead, trail] : {std::tuple{"HzK12", 0xD6, 0xD0}, {"TwK12", 0xA4, 0xA4}}) {
        const Bytes font = readFont(file);
        int longest = 0;
        for (int x = 0; x < 12; ++x) {
            int n = 0;
            for (int r = 0; r < 12; ++r)
                n += (wideRow(font, wideOffset(lead, trail), r) >> (15 - x)) & 1;
            longest = std::max(longest, n);
        }
        EXPECT_GE(longest, 9) << file;
    }
}

TEST(FontFiles, DoubleByteInkStaysInTwelveColumns)
{
    for (const char *family : kFamilies) {
        for (const std::string suffix : {"", "V"}) {
            const Bytes font = readFont(family + suffix);
            ASSERT_EQ(font.size(), kWideRecords * 24);
            std::size_t strays = 0;
            for (std::size_t i = 1; i < font.size(); i += 2)
                strays += (font[i] & 0x0F) != 0;
            EXPECT_EQ(strays, 0u) << family << suffix;
        }
    }
}

TEST(FontFiles, CodePagesAreLargelyCovered)
{
    // Lower bounds from the sizes of the character sets: GBK about 21,900,
    // Big5 about 13,500, JIS X 0208 with the Windows extensions about 7,700,
    // KS X 1001 plus the extra Hangul of the Windows code page about 17,000.
    const std::pair<const char *, std::size_t> minimum[] = {
        {"HzK12", 21500}, {"TwK12", 13300}, {"JpK12", 7500}, {"KrK12", 16800}};
    for (const auto &[family, least] : minimum) {
        const Bytes font = readFont(family);
        ASSERT_EQ(font.size(), kWideRecords * 24);
        std::size_t inked = 0;
        for (std::size_t i = 0; i < kWideRecords; ++i)
            inked += recordHasInk(font, 24 * i, 24);
        EXPECT_GE(inked, least) << family;
        EXPECT_LE(inked, kWideRecords) << family;
    }
}

TEST(FontFiles, VerticalFilesHoldTheQuarterTurnedGlyphs)
{
    for (const char *family : kFamilies) {
        const Bytes upright = readFont(family);
        const Bytes turned = readFont(std::string(family) + "V");
        ASSERT_EQ(upright.size(), kWideRecords * 24);
        ASSERT_EQ(turned.size(), upright.size());
        std::size_t mismatches = 0;
        for (std::size_t rec = 0; rec < kWideRecords; ++rec) {
            // Dot (x, y) of the upright glyph is dot (y, 11 - x) of the turned one.
            std::array<std::uint16_t, 12> expected{};
            for (int y = 0; y < 12; ++y)
                for (int x = 0; x < 12; ++x)
                    if (wideRow(upright, 24 * rec, y) & (0x8000 >> x))
                        expected[11 - x] |= static_cast<std::uint16_t>(0x8000 >> y);
            for (int r = 0; r < 12; ++r)
                mismatches += wideRow(turned, 24 * rec, r) != expected[r];
        }
        EXPECT_EQ(mismatches, 0u) << family;
    }
}

TEST(FontFiles, AsciiLettersShareABaselineAndAGap)
{
    const Bytes ascii = readFont("ASC12");
    ASSERT_EQ(ascii.size(), 3072u);
    EXPECT_TRUE(recordHasInk(ascii, 780, 12)); // 'A'
    for (int blank : {0x00, 0x09, 0x20, 0x7F, 0x81, 0xA0})
        EXPECT_FALSE(recordHasInk(ascii, 12 * blank, 12)) << std::hex << blank;
    for (int drawn : {0x80 /* euro */, 0x8A /* S caron */, 0xE9 /* e acute */, 0xFF})
        EXPECT_TRUE(recordHasInk(ascii, 12 * drawn, 12)) << std::hex << drawn;

    const int baseline = bottomRow(ascii, 'A');
    for (int c : {int('H'), int('x'), int('E'), int('1'), int('z'), 0xC9 /* E acute */})
        EXPECT_EQ(bottomRow(ascii, c), baseline) << static_cast<char>(c);
    for (int c : {'g', 'p', 'y', 'j'})
        EXPECT_GT(bottomRow(ascii, c), baseline) << static_cast<char>(c);

    // The last column is a gap between letters in every record.
    int touchingRight = 0;
    for (std::size_t i = 0; i < ascii.size(); ++i)
        touchingRight += ascii[i] & 0x01;
    EXPECT_EQ(touchingRight, 0);
}

TEST(FontFiles, ToolFailsLoudlyWithoutItsSourceFonts)
{
    const std::string command = kBinDir + "/glintag_fontgen " + kBinDir
                                + "/fontgen-unused /nonexistent-font-folder 2>&1";
    FILE *pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    const int status = pclose(pipe);
    EXPECT_NE(status, 0);
    EXPECT_NE(output.find("install the Debian package xfonts-"), std::string::npos) << output;
    EXPECT_TRUE(readFont("fontgen-unused/ASC12").empty());
}
