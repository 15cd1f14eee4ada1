#include "files/profilefile.h"

#include <gtest/gtest.h>

TEST(ProfileFile, TextsStayOnOneLineAndAreCutAtACharacterBoundary)
{
    const QString han(160, QChar(0x4E2D)), a(1020, 'a');
    const struct {
        QString text, expected;
    } cases[] = {
        {"a\n[T]\r\nj=1", "a [T]  j=1"}, // a line break would let a text inject keys
        // 1,500 bytes: after 1,020 ASCII bytes one three-byte character still ends by byte 1,023.
        {a + han, a + han.left(1)},
        {"aa" + a + han, "aa" + a},
    };
    for (const auto &c : cases) {
        glintag::ProfileFile p;
        p.writeString("S", "k", c.text);
        EXPECT_EQ(glintag::ProfileFile::fromBytes(p.toBytes()).readString("S", "k", {}), c.expected);
    }
}
