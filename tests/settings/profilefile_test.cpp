#include "settings/profilefile.h"

#include <gtest/gtest.h>

#include <utility>

using glintag::ProfileFile;

TEST(ProfileFile, TextsStayOnOneLineAndAreCutAtACharacterBoundary)
{
    const QString han(160, QChar(0x4E2D));
    const std::pair<QString, QString> cases[] = {
        {"a\n[T]\r\nj=1", "a [T]  j=1"},   // a line break would let a text inject keys
        // 1,500 bytes: after 1,020 ASCII bytes one three-byte character still ends by byte 1,023.
        {QString(1020, 'a') + han, QString(1020, 'a') + han.left(1)},
        {QString(1022, 'a') + han, QString(1022, 'a')},
    };
    for (const auto &[text, expected] : cases) {
        ProfileFile p;
        p.writeString("S", "k", text);
        EXPECT_EQ(ProfileFile::fromBytes(p.toBytes()).readString("S", "k", {}), expected);
    }
}
