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
using Glyph = std::array<std::uint16_t, 12>;   // rows, leftmost dot in the top bit

const std::string kBinDir = GLINTAG_BIN_DIR;
constexpr std::size_t kRecords = 126 * 191, kWideSize = kRecords * 24;

Bytes readFont(const std::string &name)
{
    std::ifstream in(kBinDir + "/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Glyph record(const Bytes &font, std::size_t index)
{
    Glyph g{};
    for (std::size_t r = 0; r < 12; ++r)
        g[r] = std::uint16_t(font[24 * index + 2 * r] << 8 | font[24 * index + 2 * r + 1]);
    return g;
}

// Written apart from the tool's own: dot (x, y) moves to (y, 11 - x).
Glyph turnCounterClockwise(const Glyph &g)
{
    Glyph t{};
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x)
            if (g[y] & (0x8000 >> x))
                t[11 - x] |= std::uint16_t(0x8000 >> y);
    return t;
}

// Lowest row with ink in a 12-byte record of ASC12, -1 if blank.
int bottomRow(const Bytes &ascii, int code)
{
    for (int r = 11; r >= 0; --r)
        if (ascii[12 * code + r])
            return r;
    return -1;
}

} // namespace

TEST(FontFiles, WideFilesAreFullStayInTwelveDotsAndTurnForVertical)
{
    // Lower bounds near the sizes of GBK, Big5, JIS X 0208 and the Korean Windows code page.
    const std::pair<const char *, std::size_t> families[] = {
        {"HzK12", 21500}, {"TwK12", 13300}, {"JpK12", 7500}, {"KrK12", 16800}};
    for (const auto &[family, least] : families) {
        const Bytes upright = readFont(family), turned = readFont(family + std::string("V"));
        ASSERT_EQ(upright.size(), kWideSize) << family;
        ASSERT_EQ(turned.size(), kWideSize) << family << "V";
        std::size_t wide = 0, mismatches = 0, inked = 0;
        for (std::size_t i = 0; i < kRecords; ++i) {
            const Glyph g = record(upright, i), v = record(turned, i);
            for (std::size_t r = 0; r < 12; ++r)
                wide += ((g[r] | v[r]) & 0x000F) != 0;
            mismatches += v != turnCounterClockwise(g);
            inked += g != Glyph{};
        }
        EXPECT_EQ(wide, 0u) << family;
        EXPECT_EQ(mismatches, 0u) << family;
        EXPECT_GE(inked, least) << family;
    }
}

TEST(FontFiles, KnownCharactersAreDrawnAndGapsStayBlank)
{
    const std::tuple<const char *, int, int, bool> cases[] = {
        {"HzK12", 0xD6, 0xD0, true},   // 中 in windows-936
        {"HzK12", 0xB0, 0xA1, true},   // 啊
        {"HzK12", 0xA2, 0x40, false},  // not in the code page
        {"HzK12", 0xAA, 0xA1, false},  // user-defined area
        {"HzK12", 0xA1, 0xA1, false},  // ideographic space
        {"TwK12", 0xA4, 0xA4, true},   // 中 in Big5
        {"TwK12", 0x81, 0x40, false},  // user-defined area
        {"JpK12", 0x82, 0xA0, true},   // あ
        {"JpK12", 0x88, 0xA3, true},   // 亜, the first level-1 kanji
        {"JpK12", 0xB1, 0x41, false},  // 0xB1 is a single-byte kana
        {"KrK12", 0xC7, 0xD1, true},   // 한
        {"KrK12", 0x81, 0x41, true},   // 갂, outside KS X 1001
        {"KrK12", 0xC7, 0x40, false},  // trail byte not used by the code page
    };
    for (const auto &[file, lead, trail, inked] : cases) {
        const Bytes font = readFont(file);
        ASSERT_EQ(font.size(), kWideSize) << file;
        const Glyph g = record(font, std::size_t((lead - 0x81) * 191 + (trail - 0x40)));
        EXPECT_EQ(g != Glyph{}, inked) << file << std::hex << " " << lead << " " << trail;
        if (lead == 0xD6 || lead == 0xA4) {   // 中's long middle stroke: nine dots in one column, a row once turned
            int longest = 0;
            for (std::uint16_t row : turnCounterClockwise(g))
                longest = std::max(longest, __builtin_popcount(row));
            EXPECT_GE(longest, 9) << file;
        }
    }
}

TEST(FontFiles, AsciiLettersShareABaselineAndAGap)
{
    const Bytes ascii = readFont("ASC12");
    ASSERT_EQ(ascii.size(), 3072u);
    const auto inked = [&](int code) { return bottomRow(ascii, code) >= 0; };
    for (int blank : {0x00, 0x09, 0x20, 0x7F, 0x81, 0xA0})
        EXPECT_FALSE(inked(blank)) << std::hex << blank;
    for (int drawn : {0x80 /* euro */, 0x8A /* S caron */, 0xE9 /* e acute */, 0xFF})
        EXPECT_TRUE(inked(drawn)) << std::hex << drawn;
    const int baseline = bottomRow(ascii, 'A');
    for (int c : {int('H'), int('x'), int('E'), int('1'), int('z'), 0xC9 /* E acute */})
        EXPECT_EQ(bottomRow(ascii, c), baseline) << c;
    for (int c : {'g', 'p', 'y', 'j'})
        EXPECT_GT(bottomRow(ascii, c), baseline) << char(c);
    // The last column is the gap between letters in every record.
    EXPECT_TRUE(std::none_of(ascii.begin(), ascii.end(), [](std::uint8_t row) { return row & 0x01; }));
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
    EXPECT_NE(pclose(pipe), 0);
    EXPECT_NE(output.find("install the Debian package xfonts-"), std::string::npos) << output;
    EXPECT_TRUE(readFont("fontgen-unused/ASC12").empty());
}
