#include "badge/badgesetup.h"
#include "render/codepage.h"
#include "render/fontset.h"
#include "render/messagebuilder.h"
#include "support/files.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace glintag;

namespace {

// An empty working folder and a separate program folder, holding small font
// files whose glyphs the test chooses.
class Fonts : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_old = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(work.path()));
    }
    void TearDown() override { QDir::setCurrent(m_old); }

    // Record c has byte c in every row, so any row tells where it came from.
    static QByteArray numberedAscii()
    {
        QByteArray a(kAsciiFileBytes, '\0');
        for (int c = 0; c < 256 * 12; ++c)
            a[c] = char(c / 12);
        return a;
    }
    static QByteArray doubleFile(std::uint16_t code, std::uint16_t row)
    {
        QByteArray a(kDoubleFileBytes, '\0');
        for (int r = 0, off = doubleRecordOffset(code); r < 12; ++r) {
            a[off + 2 * r] = char(row >> 8);
            a[off + 2 * r + 1] = char(row & 0xFF);
        }
        return a;
    }

    QTemporaryDir work, program;

private:
    QString m_old;
};

std::vector<std::uint8_t> blankSlot()
{
    return std::vector<std::uint8_t>(kSlotBytes, 0);
}

} // namespace

TEST(CodePage, ConvertsOneCodeUnitAtATime)
{
    const struct {
        const char *page;
        char16_t unit;
        std::uint16_t code;
    } cases[] = {
        {"windows-936", u'\u4E2D', 0xD6D0},
        {"windows-950", u'\u4E2D', 0xA4A4},
        {"windows-932", u'\u3042', 0x82A0},
        {"windows-949", u'\uAC00', 0xB0A1},
        {"windows-1252", u'\u20AC', 0x80},
        {"windows-1252", u'\u4E2D', '?'},
        {"windows-936", char16_t(0xD83D), '?'},
        // where ICU's table parts from Windows' code page 932: both ways, also after a double-byte character
        {"windows-932", u'\u001A', 0x1A},
        {"windows-932", u'\u0080', 0x80},
        {"windows-932", u'\uF8F0', 0xA0},
    };
    for (const auto &c : cases) {
        CodePage page(c.page);
        EXPECT_EQ(page.code(c.unit), c.code) << c.page << " U+" << std::hex << int(c.unit);
        const QString text = QStringLiteral("\u3042") + QChar(c.unit) + QLatin1Char('A');
        if (c.code != '?' && std::string(c.page) == "windows-932") {
            EXPECT_EQ(page.decode(page.encode(text)), text) << " U+" << std::hex << int(c.unit);
        }
    }
    // a trail byte that looks like one of those singles stays part of its character
    EXPECT_EQ(CodePage("windows-932").decode("\x81\x80\x88\xA0\x80"), QStringLiteral("\u00F7\u5516\u0080"));
}

TEST(FontTable, OffsetsAndAdvances)
{
    const std::pair<std::uint16_t, int> cases[] = {{0x8140, 0},  {0x8240, 24 * 191}, {0xB0A1, 217776}, {0xFEFE, 577560},
                                                   {0x813F, -1}, {0x81FF, -1},       {0xFF40, -1}};
    for (auto [code, offset] : cases)
        EXPECT_EQ(doubleRecordOffset(code), offset) << std::hex << code;
    // only the tight model narrows the advance, and only where the text does not scroll sideways
    const struct {
        const BadgeModel &model;
        std::optional<MoveMode> mode;
        int advance;
    } advances[] = {
        {kModelR1, MoveMode::Up, 13},
        {kModelR2, MoveMode::Left, 13},
        {kModelR2, MoveMode::Up, 12},
        {kModelR2, std::nullopt, 13},
    };
    for (const auto &c : advances)
        EXPECT_EQ(doubleByteAdvance(c.model, c.mode), c.advance)
            << c.model.name << " mode " << (c.mode ? listPosition(*c.mode) : kNoMoveMode);
}

TEST_F(Fonts, LookupOrderMissingShortAndChangedFiles)
{
    QByteArray prog(kAsciiFileBytes, '\0'), shortFile(781, '\0');
    prog[780] = char(0x22);
    shortFile[780] = char(0x80); // only row 0 of 'A' is in the file
    ASSERT_TRUE(writeFile(program.path() + "/ASC12", prog));
    ASSERT_TRUE(writeFile(work.path() + "/JpK12", doubleFile(0x82A0, 0x8000)));
    ASSERT_TRUE(writeFile(work.path() + "/JpK12V", doubleFile(0x82A0, 0x0010)));
    {
        FontSet fonts(0, program.path());
        EXPECT_EQ(fonts.asciiGlyph('A')[0], 0x22);
        EXPECT_EQ(fonts.doubleGlyph(0xB0A1, false)[0], 0) << "missing file draws blank";
    }
    for (const QString &f : {work.path() + "/HzK12", work.path() + "/HzK12V", program.path() + "/HzK12"})
        EXPECT_FALSE(QFile::exists(f)) << "a missing font file is not created";

    ASSERT_TRUE(writeFile(work.path() + "/ASC12", shortFile)); // the working folder wins
    {
        FontSet fonts(2, program.path());
        EXPECT_EQ(fonts.asciiGlyph('A')[0], 0x80);
        EXPECT_EQ(fonts.asciiGlyph('A')[1], 0) << "past the end reads as zero";
        EXPECT_EQ(fonts.doubleGlyph(0x82A0, false)[0], 0x80);
        EXPECT_EQ(fonts.doubleGlyph(0x82A0, true)[1], 0x10) << "vertical slots read the V file";
    }
    ASSERT_TRUE(writeFile(work.path() + "/ASC12", numberedAscii()));
    EXPECT_EQ(FontSet(2, program.path()).asciiGlyph('A')[5], 'A') << "stale copy served after a rewrite";
}

// An installed program: <prefix>/bin/glintag with its fonts in <prefix>/share/glintag.
TEST_F(Fonts, InstalledProgramFindsItsFontsInTheShareFolder)
{
    const QString bin = program.path() + "/bin", share = program.path() + "/share/glintag";
    ASSERT_TRUE(QDir().mkpath(bin) && QDir().mkpath(share));
    // Each folder's ASC12 draws its own byte in row 0 of 'A'.
    const struct {
        QString folder;
        char mark;
    } folders[] = {{work.path(), 1}, {bin, 2}, {share, 3}};
    const struct {
        std::vector<int> present; // indexes into folders
        int found;                // -1: none
    } cases[] = {{{2}, 2}, {{1, 2}, 1}, {{0, 1, 2}, 0}, {{0, 2}, 0}, {{}, -1}};
    for (const auto &c : cases) {
        for (const auto &f : folders)
            QFile::remove(f.folder + "/ASC12");
        for (int i : c.present)
            ASSERT_TRUE(writeFile(folders[i].folder + "/ASC12", QByteArray(kAsciiFileBytes, folders[i].mark)));
        FontSet fonts(4, bin);
        EXPECT_EQ(fonts.asciiGlyph('A')[0], c.found < 0 ? 0 : folders[c.found].mark) << c.found;
    }
    EXPECT_EQ(fontFolders(QString()), QStringList{QDir::currentPath()}) << "no program folder, no share folder";
}

TEST_F(Fonts, TextPlacementRowBytesAndOverflow)
{
    ASSERT_TRUE(writeFile(work.path() + "/ASC12", numberedAscii()));
    // one dot at the glyph's left edge, one in the stray columns 12..15
    ASSERT_TRUE(writeFile(work.path() + "/HzK12", doubleFile(0xD6D0, 0x8001)));
    FontSet fonts(0, program.path());
    CodePage &gbk = CodePage::shared("windows-936");

    const struct {
        QString text;
        int advance, rowBytes;
    } cases[] = {
        {QString(), 13, 0},
        {QStringLiteral("AB"), 13, 2},
        {QStringLiteral("A  "), 13, 3},
        {QStringLiteral("中"), 13, 2},
        {QStringLiteral("中"), 12, 2},
        {QStringLiteral("中中中"), 13, 5},
        {QStringLiteral("中中中"), 12, 5},
        {QStringLiteral("\t"), 13, 1},
        // too long for the row: stop at the last glyph whose bytes all fit
        {QString(100000, QLatin1Char('\xFF')), 13, 511},
        {QString(5000, QChar(0x4E2D)), 13, 511},
        {QString(300, QLatin1Char('\xFF')) + QString(300, QChar(0x4E2D)), 13, 512},
    };
    for (const auto &c : cases) {
        DotBuffer dots;
        dots.bytes.fill(0);
        std::fill(dots.slot(1), dots.slot(1) + kSlotBytes, 0xAA); // the neighbour must stay intact
        EXPECT_EQ(renderTextSlot(c.text, false, c.advance, fonts, gbk, dots.slot(0)), c.rowBytes) << c.text.size();
        EXPECT_TRUE(std::all_of(dots.slot(1), dots.slot(1) + kSlotBytes, [](auto b) { return b == 0xAA; }));
    }

    // "中" then "A" at p = 13: the letter's row byte 0x41 is shifted right by
    // 5 across bytes 1 and 2, next to the stray dot 15 of the first glyph.
    auto rows = blankSlot();
    ASSERT_EQ(renderTextSlot(QStringLiteral("中A"), false, 13, fonts, gbk, rows.data()), 3);
    for (int r = 0; r < 12; ++r) {
        const std::uint8_t *row = rows.data() + r * kRowByteCount;
        EXPECT_EQ(std::vector<int>(row, row + 4), (std::vector<int>{0x80, 0x01 | (0x41 >> 5), (0x41 << 3) & 0xFF, 0}));
    }
}

TEST_F(Fonts, HalfWidthKatakanaAreDrawnAsTheirFullWidthForms)
{
    ASSERT_TRUE(writeFile(work.path() + "/ASC12", numberedAscii()));
    ASSERT_TRUE(writeFile(work.path() + "/JpK12", doubleFile(0x8341, 0xF00F)));  // ア
    ASSERT_TRUE(writeFile(work.path() + "/JpK12V", doubleFile(0x815B, 0x0FF0))); // ー, turned
    FontSet fonts(2, program.path());
    const struct {
        QString halfWidth, fullWidth;
        bool vertical;
    } cases[] = {{QStringLiteral("\uFF71"), QStringLiteral("\u30A2"), false},
                 {QStringLiteral("\uFF70"), QStringLiteral("\u30FC"), true},
                 {QStringLiteral("\uFF61\uFF9F"), QStringLiteral("\u3002\u309C"), false}};
    for (const auto &c : cases) {
        auto half = blankSlot(), full = blankSlot();
        // the full-width forms' widths are those of TextPlacementRowBytesAndOverflow
        EXPECT_EQ(renderTextSlot(c.halfWidth, c.vertical, 13, fonts, CodePage::shared("windows-932"), half.data()),
                  renderTextSlot(c.fullWidth, c.vertical, 13, fonts, CodePage::shared("windows-932"), full.data()));
        EXPECT_EQ(half, full) << c.halfWidth.toStdString();
    }
    auto rows = blankSlot();
    renderTextSlot(QStringLiteral("\uFF71"), false, 13, fonts, CodePage::shared("windows-932"), rows.data());
    EXPECT_EQ(std::vector<int>(rows.begin(), rows.begin() + 2), (std::vector<int>{0xF0, 0x0F}));
    // other code pages keep the single byte (and so the single-byte font)
    EXPECT_EQ(CodePage::shared("windows-1252").glyphCode(u'\u00B1'), 0xB1);
}

TEST_F(Fonts, RunSelectionAnimationAndImage)
{
    ASSERT_TRUE(writeFile(work.path() + "/ASC12", numberedAscii()));
    BadgeSetup setup;
    for (auto &s : setup.slots)
        s.select = false, s.text = QStringLiteral("HELLO");
    const Rendering none = renderSetup(setup, program.path());
    EXPECT_TRUE(std::all_of(none.rendered.begin(), none.rendered.end(), [](auto n) { return n == 0; }));

    const struct {
        const char *model;
        int mode0, chars, expected0;
    } cases[] = {{"R1", 7, 11, 15}, {"R2", 7, 11, 12}, {"R1", 6, 11, 11}, {"R2", 0, 11, 11}, {"R1", 7, 0, 0}};
    QImage black(kRowColumns, kRowCount, QImage::Format_RGB32);
    black.fill(Qt::black);
    for (const auto &c : cases) {
        setup.model = QString::fromLatin1(c.model);
        for (int i = 0; i < kSlotCount; ++i)
            setup.slots[size_t(i)].select = i < 3;
        setup.slots[0].text = QString(c.chars, QLatin1Char('x'));
        setup.slots[0].mode = c.mode0;
        setup.slots[1].text = QString(11, QLatin1Char('x'));
        setup.slots[1].mode = 7;     // only slot 0 is padded
        setup.slots[2].image = true; // nothing loaded
        setup.slots[2].text = QStringLiteral("ignored");
        setup.slots[2].picture = black;
        const RowBytes rb = renderSetup(setup, program.path()).rendered;
        EXPECT_EQ(rb[0], c.expected0) << c.model << " mode " << c.mode0;
        EXPECT_EQ(rb[1], 11);
        EXPECT_EQ(rb[2], 0);
    }
}

TEST(Gauge, BarsRoundHalfToEvenAndFillTheStrip)
{
    const struct {
        std::vector<std::pair<int, int>> slotBytes; // (slot, RowBytes)
        std::vector<int> ends;                      // x1 of each coloured bar, from x0 = 0
    } cases[] = {
        {{}, {}},
        {{{0, 1}, {1, 1}}, {2, 4}}, // 1.5 → 2, 3.5 → 4
        {{{0, 3}}, {4}},            // 4.5 → 4
        {{{0, 300}, {1, 300}, {2, 7}}, {450, 768}},
    };
    for (const auto &c : cases) {
        RowBytes rb{};
        for (auto [slot, n] : c.slotBytes)
            rb[slot] = std::int16_t(n);
        const auto spans = gaugeSpans(rb);
        ASSERT_EQ(spans.size(), c.ends.size() + 1);
        int x = 0;
        for (std::size_t i = 0; i < c.ends.size(); ++i) {
            EXPECT_EQ(spans[i].x0, x);
            EXPECT_EQ(spans[i].x1, x = c.ends[i]);
            EXPECT_EQ(spans[i].colour, slotColour(c.slotBytes[i].first));
        }
        EXPECT_EQ(spans.back().x0, x);
        EXPECT_EQ(spans.back().x1, kGaugeWidth);
        EXPECT_EQ(spans.back().colour, qRgb(0, 0, 0));
    }
}
