// Checks the font files the build wrote into the bin folder.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Glyph = std::array<std::uint16_t, 12>; // rows, leftmost dot in the top bit

const std::string kBinDir = GLINTAG_BIN_DIR;
constexpr std::size_t kRecords = 126 * 191;

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

} // namespace

TEST(FontFiles, WideFilesAreFullStayInTwelveDotsAndTurnForVertical)
{
    // Lower bounds near the sizes of GBK, Big5, JIS X 0208 and the Korean Windows code page; per file a code
    // with ink and one the code page leaves out.
    const struct {
        const char *family;
        std::size_t least;
        unsigned inked, blank;
    } families[] = {{"HzK12", 21500, 0xD6D0 /* 中 */, 0xA240},
                    {"TwK12", 13300, 0xA4A4 /* 中 */, 0x8140 /* user-defined */},
                    {"JpK12", 7500, 0x88A3 /* 亜 */, 0xB141 /* single-byte kana */},
                    {"KrK12", 16800, 0x8141 /* 갂, outside KS X 1001 */, 0xC740 /* unused trail byte */}};
    for (const auto &[family, least, inkedCode, blankCode] : families) {
        const Bytes upright = readFont(family), turned = readFont(family + std::string("V"));
        ASSERT_TRUE(upright.size() == kRecords * 24 && turned.size() == kRecords * 24) << family;
        std::size_t wide = 0, mismatches = 0, inked = 0;
        for (std::size_t i = 0; i < kRecords; ++i) {
            const Glyph g = record(upright, i), v = record(turned, i);
            for (std::size_t r = 0; r < 12; ++r)
                wide += ((g[r] | v[r]) & 0x000F) != 0;
            mismatches += v != turnCounterClockwise(g);
            inked += g != Glyph{};
        }
        EXPECT_TRUE(wide == 0 && mismatches == 0 && inked >= least) << family << ' ' << mismatches << ' ' << inked;
        const auto at = [&](unsigned code) { return record(upright, ((code >> 8) - 0x81) * 191 + (code & 0xFF) - 64); };
        EXPECT_TRUE(at(inkedCode) != Glyph{} && at(blankCode) == Glyph{}) << family;
    }
}

TEST(FontFiles, AsciiLettersShareABaselineAndAGap)
{
    const Bytes ascii = readFont("ASC12");
    ASSERT_EQ(ascii.size(), 256u * 12);
    const auto bottomRow = [&](int c) {
        int r = 11;
        while (r >= 0 && !ascii[std::size_t(12 * c + r)])
            --r;
        return r;
    };
    const int baseline = bottomRow('A');
    for (int c : {int('H'), int('x'), int('1'), 0xC9 /* E acute */})
        EXPECT_EQ(bottomRow(c), baseline) << c;
    for (int c : {'g', 'p'})
        EXPECT_GT(bottomRow(c), baseline) << c;
    EXPECT_TRUE(bottomRow(' ') < 0 && bottomRow(0x81) < 0 && bottomRow(0x80 /* euro */) >= 0);
    for (std::uint8_t row : ascii) // the last column is the gap between letters
        ASSERT_FALSE(row & 0x01);
}

TEST(FontFiles, ToolFailsLoudlyWithoutItsSourceFonts)
{
    const std::string command = kBinDir + "/glintag_fontgen " + kBinDir + "/fontgen-unused /nonexistent-fonts 2>&1";
    FILE *pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    for (int c; (c = std::fgetc(pipe)) != EOF;)
        output += char(c);
    EXPECT_NE(pclose(pipe), 0);
    EXPECT_NE(output.find("error"), std::string::npos) << "it failed without a word: " << output;
    EXPECT_TRUE(readFont("fontgen-unused/ASC12").empty());
}
