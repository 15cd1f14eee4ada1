#include "files/profilefile.h"
#include "settings/settings.h"
#include "support/files.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>
#include <unistd.h>

using namespace glintag;

namespace {

// A slot as the settings file can describe it; speed by list position.
SlotSetup slot(const QString &text, bool select, int speedPos, int mode, bool flash = false, bool border = false,
               bool image = false, bool vertical = false)
{
    SlotSetup s;
    s.text = text, s.select = select, s.speed = speedPos < 0 ? QString() : QString::number(speedPos + 1);
    s.mode = mode, s.flash = flash, s.border = border, s.image = image, s.vertical = vertical;
    return s;
}

} // namespace

TEST(Settings, EveryFieldSurvivesASaveThatKeepsWhatOthersStoreInTheFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Nvq.ini");
    const QByteArray head = "; my badge\r\n[Ports]\r\nCOM7=/dev/ttyUSB0\r\n[Message2]\r\nSpeed=";
    const QByteArray tail = "[Extra]\r\nkey=value\r\n[message2]\r\nSpeed=1\r\n";
    ASSERT_TRUE(ProfileFile::fromBytes(head + "8\r\nColour=red\r\n" + tail).save(path));
    // Texts the writer has to quote so that the reader's trimming gives them back.
    const QString texts[]
        = {" leading",        "trailing\t", "\"quoted\"", "'single'",          "a=b;c",
           "[not a section]", "\"",         "",           "\uFEFFafter a BOM", "中文 テキスト 한국어"};
    BadgeSetup s;
    for (int i = 0; i < 16; ++i) // every field takes each of its kinds of value somewhere
        s.slots[size_t(i)] = slot(texts[i % 10], i % 2, i % 9 - 1, i == 0 ? 7 : i % 8 - 1, (i >> 1) & 1, (i >> 2) & 1,
                                  (i >> 3) & 1, 1 - ((i >> 1) & 1));
    for (int language = -1; language <= 4; ++language) {
        s.language = language;
        for (int i = 0; i < 16; ++i) // a group of two moving along
            s.slots[size_t(i)].alternate = i == language + 10 || i == language + 11;
        ASSERT_TRUE(saveSettingsFile(path, s));
        EXPECT_EQ(loadSettingsFile(path), s) << language;
    }
    const QByteArray saved = readFile(path);
    EXPECT_TRUE(saved.startsWith(head) && saved.contains("Colour=red\r\n") && saved.contains(tail)) << saved.data();
}

TEST(Settings, HandEditedFilesGiveSaneValues)
{
    QByteArray garbage, big;
    for (quint32 i = 0, x = 42; i < 65536; ++i, x = x * 1103515245 + 12345) // random bytes and the file's syntax
        garbage += x >> 31 ? char(x >> 16) : "[]=\n\r\"'Message1Speed-9"[(x >> 16) % 22];
    while (big.size() < 5 << 20)
        big += "[Filler]\nkey=" + QByteArray(100, 'x') + "\nno equals sign here\n";
    using Setup = BadgeSetup;
    const std::function<void(Setup &)> same = [](Setup &) {};
    const struct {
        const char *name;
        QByteArray file;
        std::function<void(Setup &)> edit;
    } cases[] = {
        {"empty", "", same},
        {"garbage", garbage, nullptr},
        {"5 MB", big + "[Message16]\nMessage16Text=big\n", [](Setup &s) { s.slots[15].text = "big"; }},
        {"no =, keys before sections, empty text", "Select=0\n[Message1]\nSelect\nMode=3\nSpeed=\nMessage1Text=\n",
         [](Setup &s) { s.slots[0] = slot("", true, -1, 3); }},
        {"duplicates, a group wrapping a byte",
         "[Message1]\nMode=2\nMode=3\n[message1]\nMode=4\nFlash=1\n"
         "[Alternate]\nAlternateBeginMsg=258\nAlternateMsgNum=2\n",
         [](Setup &s) { s.slots[0].mode = 2; }},
        {"out of range",
         "[Message1]\nSelect=2\nSpeed=9\nMode=8\nFlash=-1\nImage=4294967297\n[Message2]\nMode=7\n"
         "[Language]\nLanguage=5\n[Alternate]\nAlternateBeginMsg=15\nAlternateMsgNum=5\n",
         same},
        {"no item, animation", "[Message1]\nSpeed=0\nMode=7\n[Message2]\nMode=-1\n[Language]\nLanguage=-1\n",
         [](Setup &s) { s.slots[0].speed = "", s.slots[0].mode = 7, s.slots[1].mode = -1, s.language = -1; }},
        {"BOM, CRLF", "\xEF\xBB\xBF[Message3]\r\nMessage3Text=Hi\r\nFlash=1\r\n",
         [](Setup &s) { s.slots[2] = slot("Hi", true, 2, 0, true); }},
        {"case, quotes, blanks", "[mESSAGE4]\n message4TEXT = ' Hi ' \nsPEED = \"4\"\n",
         [](Setup &s) { s.slots[3] = slot(" Hi ", true, 3, 0); }},
        {"5,000-byte text", "[Message1]\nMessage1Text=" + QByteArray(5000, 'x') + "\n",
         [](Setup &s) { s.slots[0].text = QString(1023, 'x'); }},
        {"GBK", "[Message1]\nMessage1Text=\xD6\xD0\xCE\xC4\n", [](Setup &s) { s.slots[0].text = "中文"; }},
        {"Shift-JIS cut inside a character",
         "[Language]\nLanguage=2\n[Message1]\nMessage1Text=" + QByteArray(1022, 'a') + "\x93\xFA\x96\x7B\n",
         [](Setup &s) { s.slots[0].text = QString(1022, 'a'), s.language = 2; }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const BadgeSetup s = readSettings(ProfileFile::fromBytes(c.file));
        for (const SlotSetup &t : s.slots) // whatever the file says, the window must be able to apply it
            EXPECT_TRUE(t.text.size() < 1024 && t.mode >= -1 && t.mode <= (&t == &s.slots[0] ? 7 : 6)
                        && (t.speed.isEmpty() || speedPosition(t.speed) >= 0));
        EXPECT_TRUE(s.language >= -1 && s.language <= 4);
        if (!c.edit)
            continue;
        BadgeSetup expected = defaultBadgeSetup();
        c.edit(expected);
        EXPECT_EQ(s, expected);
    }
}

TEST(Settings, NoRegularFileAtThePathGivesDefaultsWithoutBlockingAndIsLeftAlone)
{
    QTemporaryDir dir;
    const auto path = [&dir](const char *name) { return QFile::encodeName(dir.filePath(name)); };
    const int sock = makeUnusualFiles(dir.path());
    ASSERT_GE(sock, 0);
    {
        QFile sparse(dir.filePath("huge")); // no memory spent writing it
        ASSERT_TRUE(sparse.open(QIODevice::WriteOnly) && sparse.resize(ProfileFile::kMaxFileBytes + 1));
    }
    BadgeSetup edited = defaultBadgeSetup();
    edited.language = 3;
    for (const char *name : {"fifo", "folder", "device", "socket", "huge"}) {
        SCOPED_TRACE(name);
        struct stat before, after;
        ASSERT_EQ(::lstat(path(name), &before), 0);
        ProfileFile file;
        QString reason;
        EXPECT_FALSE(file.load(dir.filePath(name), &reason));
        EXPECT_FALSE(reason.isEmpty());
        EXPECT_EQ(loadSettingsFile(dir.filePath(name)), defaultBadgeSetup());
        reason.clear();
        EXPECT_FALSE(saveSettingsFile(dir.filePath(name), edited, &reason));
        EXPECT_FALSE(reason.isEmpty());
        ASSERT_EQ(::lstat(path(name), &after), 0);
        EXPECT_TRUE(before.st_ino == after.st_ino && before.st_mode == after.st_mode
                    && before.st_size == after.st_size);
    }
    ::close(sock);
}

TEST(Settings, EncodingsAndLineEndsAreReadAndWrittenBackAsTheyWere)
{
    const QStringList lines = QStringLiteral("; mine|[Ports]|COM7=/dev/ttyUSB0|[Language]|Language=2|[Message1]|"
                                             "Message1Text=\u30C6\u30AD\u30B9\u30C8")
                                  .split(QLatin1Char('|'));
    const auto utf8 = [](const QString &t) { return t.toUtf8(); };
    const auto utf16 = [](QStringConverter::Encoding e) {
        return [e](const QString &t) {
            QStringEncoder encoder(e, QStringEncoder::Flag::WriteBom);
            return QByteArray(encoder.encode(t));
        };
    };
    const struct {
        const char *name;
        const char *eol;
        std::function<QByteArray(const QString &)> encode;
        QStringConverter::Encoding decoding;
    } cases[] = {
        {"UTF-16 LE", "\r\n", utf16(QStringConverter::Utf16LE), QStringConverter::Utf16LE},
        {"UTF-16 BE", "\r\n", utf16(QStringConverter::Utf16BE), QStringConverter::Utf16BE},
        {"CR only", "\r", utf8, QStringConverter::Utf8},
    };
    QTemporaryDir dir;
    const QString path = dir.filePath("Nvq.ini");
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QStringList text = lines;
        const QByteArray original = c.encode(text.join(c.eol) + c.eol);
        ASSERT_TRUE(writeFile(path, original));
        BadgeSetup s = loadSettingsFile(path);
        EXPECT_EQ(s.language, 2);
        EXPECT_EQ(s.slots[0].text, QStringLiteral("\u30C6\u30AD\u30B9\u30C8"));
        s.language = 4, s.slots[0].text = QStringLiteral("\u4E2D\u6587");
        ASSERT_TRUE(saveSettingsFile(path, s));

        // One encoding throughout: the saved bytes decode without loss and
        // encode back to themselves, with the untouched lines as they were.
        const QByteArray saved = readFile(path);
        QStringDecoder decoder(c.decoding);
        const QString back = decoder.decode(saved);
        EXPECT_EQ(c.encode(back), saved);
        text[4] = "Language=4", text[6] = "Message1Text=\u4E2D\u6587";
        EXPECT_TRUE(back.startsWith(text.join(c.eol) + c.eol + "Select=1" + c.eol)) << back.toStdString();
        EXPECT_TRUE(back.endsWith(QString("[Alternate]%1AlternateBeginMsg=0%1AlternateMsgNum=0%1").arg(c.eol)));
        EXPECT_EQ(back.count('\n'), QString(c.eol).count('\n') * back.count('\r'));
        EXPECT_EQ(loadSettingsFile(path), s);
    }
}
