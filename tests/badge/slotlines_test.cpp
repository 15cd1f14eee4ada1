// Slot texts from any source: cut to the text limit on a character's edge,
// and never more than the free slots kept, however many lines come.

#include "badge/slotlines.h"

#include <gtest/gtest.h>

using namespace glintag;

TEST(SlotLines, TextsAreCutOnACharactersEdge)
{
    const QString kana = QStringLiteral("か");                  // three bytes
    const QString face = QString::fromUtf8("\xF0\x9F\x98\x80"); // four, a surrogate pair
    const struct {
        const char *what;
        QString text;
        qsizetype keptChars; // UTF-16 units
        bool cut;
    } cases[] = {
        {"exactly the limit", QString(kTextByteLimit, QLatin1Char('a')), kTextByteLimit, false},
        {"one byte over", QString(kTextByteLimit + 1, QLatin1Char('a')), kTextByteLimit, true},
        {"341 three-byte characters fill it", kana.repeated(341), 341, false},
        {"the 342nd does not fit whole", kana.repeated(342), 341, true},
        {"a pair is never split", QString(kTextByteLimit - 2, QLatin1Char('a')) + face, kTextByteLimit - 2, true},
        {"a pair that fits stays", QString(kTextByteLimit - 4, QLatin1Char('a')) + face, kTextByteLimit - 2, false},
    };
    for (const auto &c : cases) {
        bool cut = false;
        const QString kept = cutToTextLimit(c.text, &cut);
        EXPECT_EQ(kept.size(), c.keptChars) << c.what;
        EXPECT_EQ(cut, c.cut) << c.what;
        EXPECT_TRUE(c.text.startsWith(kept)) << c.what;
    }
}

TEST(SlotLines, LinesPastTheFreeSlotsAreOnlyCounted)
{
    const struct {
        const char *what;
        int taken;
        QByteArray block;
        QStringList texts;
        qint64 dropped;
    } cases[] = {
        {"CR LF and a last line without an end", 0, "one\r\ntwo", {"one", "two"}, 0},
        {"the last line's end makes no line", 0, "one\n", {"one"}, 0},
        {"an empty line is an empty text", 0, "\n", {""}, 0},
        {"nothing is no line", 0, "", {}, 0},
        {"slots taken by pictures", 14, "a\nb\nc\nd\n", {"a", "b"}, 2},
        {"all taken", 16, "a\n", {}, 1},
    };
    for (const auto &c : cases) {
        SlotLines lines(c.taken);
        lines.addLines(c.block);
        EXPECT_EQ(lines.texts(), c.texts) << c.what;
        EXPECT_EQ(lines.dropped(), c.dropped) << c.what;
    }
    // A line far over the limit is cut, and told.
    SlotLines longLine;
    longLine.addLine(QByteArray(5'000'000, 'x'));
    EXPECT_EQ(longLine.texts().value(0).size(), kTextByteLimit);
    EXPECT_EQ(longLine.cut(), QList<int>({0}));
}
