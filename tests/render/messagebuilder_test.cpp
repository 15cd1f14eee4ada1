#include "render/codepage.h"
#include "fontfixture.h"
#include "render/messagebuilder.h"

#include <QImage>

#include <cstring>
#include <vector>

using namespace glintag;


TEST(CodePage, ConvertsOneCodeUnitAtATime)
{
    struct Case {
        const char *page;
        char16_t unit;
        std::uint16_t code;
    } cases[] = {
        {"windows-936", u'A', 0x41},
        {"windows-936", u'\u4E2D', 0xD6D0},   // 中
        {"windows-936", u'\u20AC', 0x80},     // euro: one byte in this table
        {"windows-950", u'\u4E2D', 0xA4A4},
        {"windows-932", u'\u3042', 0x82A0},   // あ
        {"windows-932", u'\uFF71', 0xB1},     // half-width katakana: one byte
        {"windows-949", u'\uAC00', 0xB0A1},   // 가
        {"windows-1252", u'\u20AC', 0x80},
        {"windows-1252", u'\u00E9', 0xE9},
        {"windows-1252", u'\u4E2D', '?'},     // not in the table
        {"windows-932", u'\uAC00', '?'},
        {"windows-936", char16_t(0xD83D), '?'},      // lone high surrogate
        {"windows-936", char16_t(0xDE00), '?'},      // lone low surrogate
        {"windows-1252", u'\t', 9},
    };
    for (const Case &c : cases) {
        CodePage page(c.page);
        ASSERT_TRUE(page.isValid()) << c.page;
        EXPECT_EQ(page.code(c.unit), c.code) << c.page << " U+" << std::hex << int(c.unit);
        EXPECT_EQ(page.code(c.unit), c.code) << "memoised value differs";
    }
}

TEST(FontTable, Offsets)
{
    EXPECT_EQ(asciiRecordOffset('A'), 780);
    const std::pair<std::uint16_t, int> cases[] = {
        {0x8140, 0}, {0x8141, 24}, {0x8240, 24 * 191}, {0xB0A1, 217776}, {0xFEFE, 577560},
        {0x8040, -1}, {0x813F, -1}, {0x81FF, -1}, {0xFF40, -1},
    };
    for (auto [code, offset] : cases)
        EXPECT_EQ(doubleRecordOffset(code), offset) << std::hex << code;
    EXPECT_EQ(doubleRecordOffset(0xFEFE) + kDoubleRecordBytes, kDoubleFileBytes);
}

TEST(Advance, PerModelAndMode)
{
    // the model text is compared exactly
    for (int mode = -1; mode <= 7; ++mode)
        for (const char *model : {"R1", "R2", "r2", "R2 "})
            EXPECT_EQ(doubleByteAdvance(QString::fromLatin1(model), mode),
                      (model == std::string("R2") && mode >= 2) ? 12 : 13) << model << mode;
}

using FontLookup = FontFolders;

TEST_F(FontLookup, WorkingFolderFirstThenProgramFolderAndNothingCreated)
{
    QByteArray work(kAsciiFileBytes, '\0'), prog(kAsciiFileBytes, '\0');
    work[780] = char(0x11);
    prog[780] = char(0x22);
    writeFile(programDir() + "/ASC12", prog);
    {
        FontSet fonts(0, programDir());
        EXPECT_EQ(fonts.asciiGlyph('A')[0], 0x22);
        EXPECT_EQ(fonts.doubleGlyph(0xB0A1, false)[0], 0) << "missing file draws blank";
    }
    for (const QString &f : {workDir() + "/HzK12", workDir() + "/HzK12V", programDir() + "/HzK12"})
        EXPECT_FALSE(QFile::exists(f)) << f.toStdString();

    writeFile(workDir() + "/ASC12", work);
    FontSet fonts(0, programDir());
    EXPECT_EQ(fonts.asciiGlyph('A')[0], 0x11);
}

TEST_F(FontLookup, ShortFileReadsZerosAndChangesAreSeen)
{
    QByteArray shortFile(781, '\0');
    shortFile[779] = char(0x01);
    shortFile[780] = char(0x80);   // only row 0 of 'A' is in the file
    writeFile(workDir() + "/ASC12", shortFile);
    {
        FontSet fonts(4, programDir());
        EXPECT_EQ(fonts.asciiGlyph('A')[0], 0x80);
        for (int r = 1; r < 12; ++r)
            EXPECT_EQ(fonts.asciiGlyph('A')[r], 0) << r;
        EXPECT_EQ(fonts.asciiGlyph(0xFF)[11], 0);
    }
    writeFile(workDir() + "/ASC12", numberedAscii());
    FontSet fonts(4, programDir());
    EXPECT_EQ(fonts.asciiGlyph('A')[5], 'A') << "a rewritten file must not be served from a stale copy";
}

TEST_F(FontLookup, VerticalFlagChoosesTheVFile)
{
    writeFile(workDir() + "/JpK12", doubleFileWith({{0x82A0, 0x8000}}));
    writeFile(workDir() + "/JpK12V", doubleFileWith({{0x82A0, 0x0010}}));
    FontSet fonts(2, programDir());
    EXPECT_EQ(fonts.doubleGlyph(0x82A0, false)[0], 0x80);
    EXPECT_EQ(fonts.doubleGlyph(0x82A0, true)[1], 0x10);
}

using TextRender = FontFolders;

TEST_F(TextRender, PlacementAndRowBytes)
{
    writeFile(workDir() + "/ASC12", numberedAscii());
    // one dot at the glyph's left edge, one in the stray columns 12..15
    writeFile(workDir() + "/HzK12", doubleFileWith({{0xD6D0, 0x8001}}));
    FontSet fonts(0, programDir());
    CodePage &gbk = CodePage::shared("windows-936");

    struct Case {
        QString text;
        int advance;
        int rowBytes;
    } cases[] = {
        {QString(), 13, 0},
        {QStringLiteral("AB"), 13, 2},
        {QStringLiteral("A  "), 13, 3},          // blanks count
        {QStringLiteral("中"), 13, 2},
        {QStringLiteral("中"), 12, 2},
        {QStringLiteral("中中中"), 13, 5},         // 39 columns
        {QStringLiteral("中中中"), 12, 5},         // 36 columns
        {QStringLiteral("\t"), 13, 1},           // no special meaning
    };
    for (const Case &c : cases) {
        std::vector<std::uint8_t> rows(kSlotBytes, 0);
        EXPECT_EQ(renderTextSlot(c.text, false, c.advance, fonts, gbk, rows.data()), c.rowBytes) << c.text.toStdString();
    }

    // "中" then "A": the letter starts at p = 13, so its row byte 0x41
    // (0100 0001) is shifted right by 5 across bytes 1 and 2.
    std::vector<std::uint8_t> rows(kSlotBytes, 0);
    ASSERT_EQ(renderTextSlot(QStringLiteral("中A"), false, 13, fonts, gbk, rows.data()), 3);
    for (int r = 0; r < 12; ++r) {
        const std::uint8_t *row = rows.data() + r * kRowByteCount;
        EXPECT_EQ(row[0], 0x80);                      // dot 0 of the double glyph
        EXPECT_EQ(row[1], std::uint8_t(0x01 | (0x41 >> 5)));  // stray dot 15, then 'A' bits
        EXPECT_EQ(row[2], std::uint8_t((0x41 << 3) & 0xFF));
        EXPECT_EQ(row[3], 0);
    }
}

TEST_F(TextRender, OverlongTextStopsAtTheLastGlyphThatFits)
{
    writeFile(workDir() + "/ASC12", numberedAscii());
    writeFile(workDir() + "/HzK12", doubleFileWith({{0xD6D0, 0xFFFF}}));
    FontSet fonts(0, programDir());
    CodePage &gbk = CodePage::shared("windows-936");

    struct Case {
        QString text;
        int rowBytes;   // 0: only the bounds are checked
    } cases[] = {
        {QString(100000, QLatin1Char('\xFF')), 511},   // 511 glyphs of 8 (byte q + 1 must exist)
        {QString(5000, QChar(0x4E2D)), 511},            // 314 glyphs of 13 end at column 4082
        {QString(300, QLatin1Char('\xFF')) + QString(300, QChar(0x4E2D)), 0},
    };
    for (const Case &c : cases) {
        DotBuffer dots;
        dots.bytes.fill(0);
        std::fill(dots.slot(1), dots.slot(1) + kSlotBytes, 0xAA);   // the neighbour must stay intact
        const int rb = renderTextSlot(c.text, false, 13, fonts, gbk, dots.slot(0));
        EXPECT_GT(rb, 500);
        EXPECT_LE(rb, kRowByteCount);
        if (c.rowBytes)
            EXPECT_EQ(rb, c.rowBytes);
        for (int k = 0; k < kSlotBytes; ++k)
            ASSERT_EQ(dots.slot(1)[k], 0xAA) << "byte " << k << " of the next slot was touched";
        for (int r = 0; r < 12; ++r)
            for (int k = rb; k < kRowByteCount; ++k)
                ASSERT_EQ(dots.row(0, r)[k], 0) << "row " << r << " byte " << k;
    }
}

using Builder = FontFolders;

TEST_F(Builder, SelectionAnimationAndImage)
{
    writeFile(workDir() + "/ASC12", numberedAscii());
    RenderRequest req;
    req.model = QStringLiteral("R1");
    for (auto &s : req.slot) {
        s.selected = false;
        s.text = QStringLiteral("HELLO");
    }
    DotBuffer dots;
    dots.bytes.fill(0x55);
    RowBytes rb;
    rb.fill(99);
    renderMessages(req, programDir(), dots, rb);
    for (int s = 0; s < kSlotCount; ++s)
        EXPECT_EQ(rb[s], 0) << s;
    EXPECT_TRUE(std::all_of(dots.bytes.begin(), dots.bytes.end(), [](auto b) { return b == 0; }));

    struct Case {
        const char *model;
        int mode0;
        int chars;
        int expected0;
    } cases[] = {
        {"R1", 7, 11, 15}, {"R2", 7, 11, 12}, {"R1", 6, 11, 11}, {"R2", 0, 11, 11},
        {"R1", 7, 0, 0},   {"R2", 7, 12, 12}, {"R1", 7, 10, 10},
    };
    for (const Case &c : cases) {
        req.model = QString::fromLatin1(c.model);
        req.slot[0] = {true, false, QString(c.chars, QLatin1Char('x')), false, c.mode0, {}};
        req.slot[1] = {true, false, QString(11, QLatin1Char('x')), false, 7, {}};   // only slot 0 is padded
        renderMessages(req, programDir(), dots, rb);
        EXPECT_EQ(rb[0], c.expected0) << c.model << " mode " << c.mode0 << " chars " << c.chars;
        EXPECT_EQ(rb[1], 11);
        for (int r = 0; r < 12; ++r)
            for (int k = c.chars; k < kRowByteCount; ++k)
                ASSERT_EQ(dots.row(0, r)[k], 0);
    }

    // An image slot with nothing loaded adds nothing; its text is ignored.
    QImage black(kRowColumns, kRowCount, QImage::Format_RGB32);
    black.fill(Qt::black);
    req.slot[2] = {true, true, QStringLiteral("ignored"), false, 0, black};
    renderMessages(req, programDir(), dots, rb);
    EXPECT_EQ(rb[2], 0);
}

TEST(PictureSampling, LitWhenRedIsHalfOrMore)
{
    struct Case {
        QRgb colour;
        bool lit;
    } cases[] = {
        {qRgb(255, 0, 0), true},   {qRgb(255, 255, 0), true},   {qRgb(255, 0, 255), true},
        {qRgb(255, 255, 255), true}, {qRgb(128, 128, 128), true}, {qRgb(0, 0, 0), false},
        {qRgb(0, 255, 0), false},  {qRgb(0, 0, 255), false},   {qRgb(0, 255, 255), false},
        {qRgb(127, 255, 255), false},
    };
    for (const Case &c : cases) {
        QImage canvas(kRowColumns, kRowCount, QImage::Format_RGB32);
        canvas.fill(Qt::black);
        canvas.setPixel(100, 5, c.colour);
        std::vector<std::uint8_t> rows(kSlotBytes, 0);
        const int rb = samplePicture(canvas, rows.data());
        EXPECT_EQ(rb, c.lit ? 13 : 0) << std::hex << c.colour;
        EXPECT_EQ(rows[5 * kRowByteCount + 12], c.lit ? 0x08 : 0);   // column 100 = byte 12, bit 3
        EXPECT_EQ(std::count_if(rows.begin(), rows.end(), [](auto b) { return b != 0; }), c.lit ? 1 : 0);
    }
    // Trailing blank bytes are dropped; leading and inner ones count.
    QImage canvas(kRowColumns, kRowCount, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    canvas.setPixel(23, 3, qRgb(255, 255, 255));
    canvas.setPixel(4095, 11, qRgb(200, 0, 0));
    std::vector<std::uint8_t> rows(kSlotBytes, 0);
    EXPECT_EQ(samplePicture(canvas, rows.data()), 512);
    EXPECT_EQ(rows[11 * kRowByteCount + 511], 0x01);
}

TEST(Gauge, BarsRoundHalfToEvenAndFillTheStrip)
{
    struct Case {
        std::vector<std::pair<int, int>> slotBytes;          // (slot, RowBytes)
        std::vector<std::pair<int, int>> bars;               // [x0, x1) per coloured bar
        int blackFrom;
    } cases[] = {
        {{}, {}, 0},
        {{{0, 2}}, {{0, 3}}, 3},                             // AB: pixels 0..2
        {{{0, 1}, {1, 1}}, {{0, 2}, {2, 4}}, 4},             // 1.5 → 2, 3.5 → 4
        {{{0, 3}}, {{0, 4}}, 4},                             // 4.5 → 4
        {{{4, 5}}, {{0, 8}}, 8},                             // 7.5 → 8
        {{{0, 300}, {1, 300}, {2, 7}}, {{0, 450}, {450, 768}}, 768},
        {{{15, 512}}, {{0, 768}}, 768},
    };
    for (const Case &c : cases) {
        RowBytes rb{};
        for (auto [slot, n] : c.slotBytes)
            rb[slot] = std::int16_t(n);
        const auto spans = gaugeSpans(rb);
        ASSERT_EQ(spans.size(), c.bars.size() + 1);
        for (std::size_t i = 0; i < c.bars.size(); ++i) {
            EXPECT_EQ(spans[i].x0, c.bars[i].first);
            EXPECT_EQ(spans[i].x1, c.bars[i].second);
            EXPECT_EQ(spans[i].colour, slotColour(c.slotBytes[i].first));
        }
        EXPECT_EQ(spans.back().x0, c.blackFrom);
        EXPECT_EQ(spans.back().x1, kGaugeWidth);
        EXPECT_EQ(spans.back().colour, qRgb(0, 0, 0));
    }
}
