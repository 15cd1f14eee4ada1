#include "settings/profilefile.h"
#include "settings/settings.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using namespace glintag;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
}

// Whatever the file says, the window must be able to apply the result.
void expectSane(const Settings &s)
{
    for (int i = 0; i < 16; ++i) {
        const SlotSettings &t = s.slots[size_t(i)];
        for (int flag : {t.select, t.flash, t.loopLamp, t.image, t.verticalShow})
            EXPECT_TRUE(flag == 0 || flag == 1) << i;
        EXPECT_TRUE(t.speedIndex >= -1 && t.speedIndex <= 7 && t.mode >= -1 && t.mode <= (i == 0 ? 7 : 6)) << i;
        EXPECT_LE(t.text.toUtf8().size(), 1023 * 3) << i;
    }
    EXPECT_TRUE(s.language >= -1 && s.language <= 4 && s.alternateBeginMsg + s.alternateMsgNum <= 16);
}

} // namespace

TEST(Settings, WithoutAFileEverySlotHasItsDefault)
{
    const Settings s = loadSettingsFile("/nonexistent/Nvq.ini");
    for (int i = 0; i < 16; ++i)   // speed item "3"
        EXPECT_EQ(s.slots[size_t(i)], (SlotSettings{QStringLiteral("MESSAGE%1").arg(i + 1), 1, 2, 0, 0, 0, 0, 0}));
    EXPECT_EQ(s.language + s.alternateBeginMsg + s.alternateMsgNum, 0);
}

TEST(Settings, EveryFieldSurvivesASaveAndLoad)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("Nvq.ini");
    // Texts the writer has to quote so that the reader's trimming gives them back.
    const QString texts[] = {" leading", "trailing\t", "\"quoted\"", "'single'", "a=b;c", "[not a section]", "\"", "",
                             QString(QChar(0xFEFF)) + "after a BOM", "中文 テキスト 한국어"};
    Settings s;
    for (int i = 0; i < 16; ++i)   // every field takes each of its kinds of value somewhere
        s.slots[size_t(i)] = {texts[i % 10], i % 2, i % 9 - 1, i == 0 ? 7 : i % 8 - 1,
                              (i >> 1) & 1, (i >> 2) & 1, (i >> 3) & 1, 1 - ((i >> 1) & 1)};
    for (int language = -1; language <= 4; ++language) {
        s.language = language;
        s.alternateBeginMsg = quint8(language + 10);
        s.alternateMsgNum = 2;
        ASSERT_TRUE(saveSettingsFile(path, s));
        EXPECT_EQ(loadSettingsFile(path), s) << language;
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"Nvq.ini"});   // no temporary left behind
}

TEST(Settings, FirstSaveWritesSectionsAndKeysInOrder)
{
    ProfileFile file;
    writeSettings(file, defaultSettings());
    QByteArrayList expected;
    for (int n = 1; n <= 16; ++n) {
        const QByteArray num = QByteArray::number(n);
        expected << "[Message" + num + "]" << "Message" + num + "Text=MESSAGE" + num << "Select=1" << "Speed=3"
                 << "Mode=0" << "Flash=0" << "LoopLamp=0" << "Image=0" << "VerticalShow=0";
    }
    expected << "[Language]" << "Language=0" << "[Alternate]" << "AlternateBeginMsg=0" << "AlternateMsgNum=0";
    EXPECT_EQ(file.toBytes(), expected.join('\n') + '\n');
}

TEST(Settings, SaveKeepsWhatOtherPartsStoreInTheFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("Nvq.ini");
    const QByteArray head = "; my badge\r\n[Ports]\r\nCOM7=/dev/ttyUSB0\r\n[Message2]\r\nSpeed=8\r\nColour=red\r\n";
    const QByteArray tail = "[Extra]\r\nkey=value\r\n[message2]\r\nSpeed=1\r\n";
    writeAll(path, head + tail);
    Settings s = defaultSettings();
    s.slots[1].speedIndex = 4;
    ASSERT_TRUE(saveSettingsFile(path, s));
    const QByteArray saved = readAll(path);
    EXPECT_TRUE(saved.startsWith(QByteArray(head).replace("Speed=8", "Speed=5"))) << saved.constData();
    EXPECT_TRUE(saved.contains(tail)) << saved.constData();
    EXPECT_EQ(loadSettingsFile(path), s);
}

TEST(Settings, HandEditedFilesGiveSaneValues)
{
    QRandomGenerator random(42);
    QByteArray garbage(64 * 1024, '\0');
    static const char ini[] = "[]=\n\r\"'Message1Speed-9";
    for (char &c : garbage)   // random bytes mixed with the file's own syntax
        c = random.bounded(2) ? char(random.bounded(256)) : ini[random.bounded(int(sizeof ini) - 1)];
    QByteArray big = "[Message1]\nMessage1Text=big\n";
    while (big.size() < 5 * 1024 * 1024)
        big += "[Filler]\nkey=" + QByteArray(100, 'x') + "\nno equals sign here\n";
    big += "[Message16]\nSpeed=8\n";
    using Edit = std::function<void(Settings &)>;
    const Edit defaults = [](Settings &) {};
    const struct { const char *name; QByteArray file; Edit expected; } cases[] = {
        {"empty", "", defaults},
        {"garbage", garbage, nullptr},
        {"5 MB", big, [](Settings &s) { s.slots[0].text = "big", s.slots[15].speedIndex = 7; }},
        {"no =, keys before sections, no digits", "Select=0\n[Message1]\nSelect\nMode=3\nSpeed=\n",
         [](Settings &s) { s.slots[0].mode = 3, s.slots[0].speedIndex = -1; }},
        {"duplicates", "[Message1]\nMode=2\nMode=3\n[message1]\nMode=4\nFlash=1\n",
         [](Settings &s) { s.slots[0].mode = 2; }},
        {"out of range", "[Message1]\nSelect=2\nSpeed=9\nMode=8\nFlash=-1\nImage=4294967297\n[Message2]\nMode=7\n"
                         "[Language]\nLanguage=5\n[Alternate]\nAlternateBeginMsg=15\nAlternateMsgNum=5\n", defaults},
        {"group wrapping a byte", "[Alternate]\nAlternateBeginMsg=258\nAlternateMsgNum=2\n", defaults},
        {"no item, animation", "[Message1]\nSpeed=0\nMode=7\n[Message2]\nMode=-1\n[Language]\nLanguage=-1\n",
         [](Settings &s) { s.slots[0].speedIndex = -1, s.slots[0].mode = 7, s.slots[1].mode = -1, s.language = -1; }},
        {"BOM and CRLF", "\xEF\xBB\xBF[Message3]\r\nMessage3Text=Hi\r\nFlash=1\r\n",
         [](Settings &s) { s.slots[2].text = "Hi", s.slots[2].flash = 1; }},
        {"any case, quotes, blanks", "[mESSAGE4]\n  message4TEXT  = ' Hi ' \nsPEED = \"4\"\n",
         [](Settings &s) { s.slots[3].text = " Hi ", s.slots[3].speedIndex = 3; }},
        {"empty text", "[Message1]\nMessage1Text=\n", [](Settings &s) { s.slots[0].text = ""; }},
        {"5,000-byte text", "[Message1]\nMessage1Text=" + QByteArray(5000, 'x') + "\n",
         [](Settings &s) { s.slots[0].text = QString(1023, 'x'); }},
        {"GBK", "[Message1]\nMessage1Text=\xD6\xD0\xCE\xC4\n", [](Settings &s) { s.slots[0].text = "中文"; }},
        {"Big5", "[Language]\nLanguage=1\n[Message1]\nMessage1Text=\xA4\xA4\xA4\xE5\n",
         [](Settings &s) { s.slots[0].text = "中文", s.language = 1; }},
        {"Shift-JIS cut inside a character",
         "[Language]\nLanguage=2\n[Message1]\nMessage1Text=" + QByteArray(1022, 'a') + "\x93\xFA\x96\x7B\n",
         [](Settings &s) { s.slots[0].text = QString(1022, 'a'), s.language = 2; }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const Settings s = readSettings(ProfileFile::fromBytes(c.file));
        expectSane(s);
        if (!c.expected)
            continue;
        Settings expected = defaultSettings();
        c.expected(expected);
        EXPECT_EQ(s, expected);
    }
}

TEST(Settings, LockedFolderKeepsTheOldFileAndMovesToTheConfigFolder)
{
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("Nvq.ini");
    EXPECT_EQ(settingsFilePath(dir.path()), path);
    const QByteArray old = "[Language]\r\nLanguage=3\r\n";
    writeAll(path, old);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    const bool locked = !QFileInfo(dir.path()).isWritable();
    const bool saved = locked && saveSettingsFile(path, defaultSettings());
    const QString fallback = locked ? settingsFilePath(dir.path()) : QString();
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (!locked)
        GTEST_SKIP() << "running with rights that ignore folder permissions (root)";
    EXPECT_FALSE(saved);
    EXPECT_EQ(readAll(path), old);
    EXPECT_EQ(fallback, QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)).filePath("Nvq.ini"));
    EXPECT_EQ(loadSettingsFile(fallback).language, 3);   // carried over
    QFile::remove(fallback);
}
