#include "settings/profilefile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <climits>
#include <optional>

using glintag::ProfileFile;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

} // namespace

TEST(ProfileFile, ParsesIntegersLikeTheProfileApi)
{
    const struct { const char *text; int expected; } cases[] = {
        {"5", 5}, {"  -12", -12}, {"+7", 7}, {"12abc", 12}, {"abc", 0}, {"", 0}, {"-", 0},
        {"0x10", 0}, {"007", 7}, {"2147483647", INT_MAX}, {"99999999999", INT_MAX},
        {"-2147483648", INT_MIN}, {"-99999999999", INT_MIN},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ProfileFile::parseInt(c.text), c.expected) << c.text;
}

TEST(ProfileFile, ReadsHandWrittenFiles)
{
    const struct { const char *name; QByteArray file; const char *section, *key; std::optional<QByteArray> value; } cases[] = {
        {"case-insensitive names", "[mESSAGE1]\nsPEED=4\n", "Message1", "Speed", QByteArray("4")},
        {"blanks around", "[ S ]\n  k  =   v w  \n", "S", "K", QByteArray("v w")},
        {"double quotes", "[S]\nk=\" v \"\n", "S", "k", QByteArray(" v ")},
        {"single quotes", "[S]\nk='v'\n", "S", "k", QByteArray("v")},
        {"one pair only", "[S]\nk=\"\"v\"\"\n", "S", "k", QByteArray("\"v\"")},
        {"mismatched quotes kept", "[S]\nk=\"v'\n", "S", "k", QByteArray("\"v'")},
        {"empty value is present", "[S]\nk=\n", "S", "k", QByteArray("")},
        {"value keeps later =", "[S]\nk=a=b\n", "S", "k", QByteArray("a=b")},
        {"first key wins", "[S]\nk=1\nK=2\n", "S", "k", QByteArray("1")},
        {"first section wins", "[S]\nk=1\n[s]\nk=2\nj=3\n", "S", "j", std::nullopt},
        {"key before any section", "k=1\n[S]\n", "S", "k", std::nullopt},
        {"line without =", "[S]\nk\n", "S", "k", std::nullopt},
        {"comment line", "[S]\n;k=1\n#k=2\n", "S", ";k", std::nullopt},
        {"text after header", "[S] ; note\nk=1\n", "S", "k", QByteArray("1")},
        {"unclosed header is no section", "[S]\n[T\nk=1\n", "S", "k", QByteArray("1")},
        {"byte-order mark", "\xEF\xBB\xBF[S]\r\nk=1\r\n", "S", "k", QByteArray("1")},
        {"CRLF", "[S]\r\nk=v\r\n", "S", "k", QByteArray("v")},
        {"no final newline", "[S]\nk=v", "S", "k", QByteArray("v")},
        {"NUL bytes", QByteArray("[S]\nk=a\0b\n", 10), "S", "k", QByteArray("a\0b", 3)},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ProfileFile::fromBytes(c.file).rawValue(c.section, c.key), c.value) << c.name;
}

TEST(ProfileFile, WritesInPlaceAndKeepsEverythingElse)
{
    const struct { const char *name; QByteArray before; const char *section, *key, *value; QByteArray after; } cases[] = {
        {"replace keeps spelling of key", "; top\n[S]\n  Key = old \nx\n", "s", "KEY", "new",
         "; top\n[S]\nKey=new\nx\n"},
        {"new key after last key", "[S]\na=1\n; c\n\n[T]\n", "S", "b", "2", "[S]\na=1\nb=2\n; c\n\n[T]\n"},
        {"new key into empty section", "[S]\n\n[T]\n", "S", "b", "2", "[S]\nb=2\n\n[T]\n"},
        {"new section at end", "[S]\na=1", "T", "b", "2", "[S]\na=1\n[T]\nb=2\n"},
        {"first duplicate section", "[S]\na=1\n[S]\na=2\n", "S", "a", "3", "[S]\na=3\n[S]\na=2\n"},
        {"first duplicate key", "[S]\na=1\na=2\n", "S", "a", "3", "[S]\na=3\na=2\n"},
        {"CRLF stays CRLF", "[S]\r\na=1\n", "T", "b", "2", "[S]\r\na=1\r\n[T]\r\nb=2\r\n"},
        {"BOM kept", "\xEF\xBB\xBF[S]\n", "S", "a", "1", "\xEF\xBB\xBF[S]\na=1\n"},
        {"keys before sections kept", "k=1\n", "S", "k", "2", "k=1\n[S]\nk=2\n"},
    };
    for (const auto &c : cases) {
        ProfileFile p = ProfileFile::fromBytes(c.before);
        p.writeString(c.section, c.key, c.value);
        EXPECT_EQ(p.toBytes(), c.after) << c.name;
    }
}

TEST(ProfileFile, TextsSurviveARoundTrip)
{
    const QString texts[] = {
        " leading", "trailing\t", "\"quoted\"", "'single'", "a=b;c", "[not a section]", "\"", "",
        QString::fromUtf8("中文 テキスト 한국어"), QString(QChar(0xFEFF)) + "after a BOM",
    };
    for (const QString &t : texts) {
        ProfileFile p;
        p.writeString("S", "k", t);
        EXPECT_EQ(ProfileFile::fromBytes(p.toBytes()).readString("S", "k", "default"), t) << t.toStdString();
    }
    // A line break would end the line and let a text inject keys.
    ProfileFile p;
    p.writeString("S", "k", "a\n[T]\r\nj=1");
    const ProfileFile back = ProfileFile::fromBytes(p.toBytes());
    EXPECT_EQ(back.readString("S", "k", {}), "a [T]  j=1");
    EXPECT_FALSE(back.contains("T", "j"));
}

TEST(ProfileFile, CutsLongTextsAtACharacterBoundary)
{
    // 1,020 ASCII bytes then three-byte characters: bytes 1020..1022 are one
    // whole character, the next one straddles byte 1023.
    const QString head(1020, QLatin1Char('a'));
    const QString text = head + QString(160, QChar(0x4E2D));
    ASSERT_GE(text.toUtf8().size(), 1500);
    ProfileFile p;
    p.writeString("S", "k", text);
    EXPECT_EQ(p.readString("S", "k", {}), head + QChar(0x4E2D));

    const QString shifted = QString(1022, QLatin1Char('a')) + QString(160, QChar(0x4E2D));
    p.writeString("S", "k", shifted);
    EXPECT_EQ(p.readString("S", "k", {}), QString(1022, QLatin1Char('a')));
}

TEST(ProfileFile, RecognisesValidUtf8)
{
    const struct { QByteArray bytes; bool valid; } cases[] = {
        {"plain", true}, {"\xE4\xB8\xAD", true}, {"\xF0\x9F\x98\x80", true},
        {"\xE4\xB8", false},            // cut short
        {"\xC0\xAF", false},            // overlong
        {"\xED\xA0\x80", false},        // surrogate
        {"\xF4\x90\x80\x80", false},    // beyond U+10FFFF
        {"\xD6\xD0\xCE\xC4", false},    // GBK
    };
    for (const auto &c : cases)
        EXPECT_EQ(ProfileFile::isValidUtf8(c.bytes), c.valid) << c.bytes.toHex().constData();
}

TEST(ProfileFile, ListsASectionInFileOrder)
{
    const ProfileFile p = ProfileFile::fromBytes(
        "[Ports]\nCOM7=/dev/ttyUSB0\n; note\ncom3 = \"/dev/ttyS 1\"\nCOM7=/dev/other\nnoise\n[ports]\nCOM9=x\n");
    const QList<QPair<QString, QString>> expected = {{"COM7", "/dev/ttyUSB0"}, {"com3", "/dev/ttyS 1"}};
    EXPECT_EQ(p.sectionEntries("PORTS"), expected);
    EXPECT_TRUE(p.sectionEntries("Missing").isEmpty());
}

TEST(ProfileFile, SavesAndLoadsThroughTheFileSystem)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("Nvq.ini");
    ProfileFile p;
    EXPECT_TRUE(p.load(path));   // missing counts as empty
    p.writeInt("S", "k", -1);
    ASSERT_TRUE(p.save(path));
    ProfileFile back;
    ASSERT_TRUE(back.load(path));
    EXPECT_EQ(back.readInt("S", "k", 5), -1);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"Nvq.ini"});   // no temporary left

    EXPECT_FALSE(p.save(dir.filePath("Nvq.ini/child.ini")));   // parent is a file
    EXPECT_FALSE(p.save(dir.path()));                          // target is a folder
}

TEST(ProfileFile, FailedSaveLeavesTheOldFileIntact)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("Nvq.ini");
    const QByteArray old = "[S]\r\nk=old\r\n";
    writeAll(path, old);
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup
                                                      | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther));
    QFile probe(dir.filePath("probe"));
    const bool writable = probe.open(QIODevice::WriteOnly);
    if (writable) {
        probe.remove();
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        GTEST_SKIP() << "running with rights that ignore folder permissions (root)";
    }
    ProfileFile p = ProfileFile::fromBytes(old);
    p.writeString("S", "k", "new");
    EXPECT_FALSE(p.save(path));
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(readAll(path), old);
}
