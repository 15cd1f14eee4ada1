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

Settings readBytes(const QByteArray &bytes)
{
    return readSettings(ProfileFile::fromBytes(bytes));
}

// Whatever the file says, the window must be able to apply the result.
void expectSane(const Settings &s)
{
    for (int i = 0; i < 16; ++i) {
        const SlotSettings &slot = s.slots[size_t(i)];
        for (int check : {slot.select, slot.flash, slot.loopLamp, slot.image, slot.verticalShow})
            EXPECT_TRUE(check == 0 || check == 1) << "slot " << i;
        EXPECT_TRUE(slot.speedIndex >= -1 && slot.speedIndex <= 7) << "slot " << i;
        EXPECT_TRUE(slot.mode >= -1 && slot.mode <= (i == 0 ? 7 : 6)) << "slot " << i;
        EXPECT_LE(slot.text.toUtf8().size(), 1023 * 3) << "slot " << i;
    }
    EXPECT_TRUE(s.language >= -1 && s.language <= 4);
    EXPECT_LE(s.alternateBeginMsg + s.alternateMsgNum, 16);
}

} // namespace

TEST(Settings, WithoutAFileEverySlotHasItsDefault)
{
    const Settings s = readSettings(ProfileFile());
    for (int i = 0; i < 16; ++i) {
        const SlotSettings &slot = s.slots[size_t(i)];
        EXPECT_EQ(slot.text, QStringLiteral("MESSAGE%1").arg(i + 1));
        EXPECT_EQ(slot.select, 1);
        EXPECT_EQ(slot.speedIndex, 2);   // item "3"
        EXPECT_EQ(slot.mode + slot.flash + slot.loopLamp + slot.image + slot.verticalShow, 0);
    }
    EXPECT_EQ(s.language, 0);
    EXPECT_EQ(s.alternateBeginMsg + s.alternateMsgNum, 0);
    EXPECT_EQ(s, defaultSettings());
}

TEST(Settings, EveryFieldSurvivesASaveAndLoad)
{
    Settings s;
    for (int i = 0; i < 16; ++i) {
        SlotSettings &slot = s.slots[size_t(i)];
        slot.text = i == 3 ? QString() : QStringLiteral(" Slot %1 \"x\" 中").arg(i);
        slot.select = i % 2;
        slot.speedIndex = i % 9 - 1;            // -1 (no item) .. 7
        slot.mode = i == 0 ? 7 : i % 8 - 1;     // -1 .. 6
        slot.flash = (i >> 1) & 1;
        slot.loopLamp = (i >> 2) & 1;
        slot.image = (i >> 3) & 1;
        slot.verticalShow = 1 - slot.flash;
    }
    s.language = -1;
    s.alternateBeginMsg = 14;
    s.alternateMsgNum = 2;

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("Nvq.ini");
    ASSERT_TRUE(saveSettingsFile(path, s));
    EXPECT_EQ(loadSettingsFile(path), s);

    for (int language = 0; language <= 4; ++language) {
        s.language = language;
        ASSERT_TRUE(saveSettingsFile(path, s));
        EXPECT_EQ(loadSettingsFile(path).language, language);
    }
}

TEST(Settings, FirstSaveWritesSectionsAndKeysInOrder)
{
    ProfileFile file;
    writeSettings(file, defaultSettings());
    QByteArrayList expected;
    for (int n = 1; n <= 16; ++n) {
        expected << QByteArray("[Message") + QByteArray::number(n) + "]"
                 << QByteArray("Message") + QByteArray::number(n) + "Text=MESSAGE" + QByteArray::number(n)
                 << "Select=1" << "Speed=3" << "Mode=0" << "Flash=0" << "LoopLamp=0" << "Image=0"
                 << "VerticalShow=0";
    }
    expected << "[Language]" << "Language=0" << "[Alternate]" << "AlternateBeginMsg=0" << "AlternateMsgNum=0";
    EXPECT_EQ(file.toBytes(), expected.join('\n') + '\n');
}

TEST(Settings, SaveKeepsWhatOtherPartsStoreInTheFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("Nvq.ini");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("; my badge\r\n[Ports]\r\nCOM7=/dev/ttyUSB0\r\n[Message2]\r\nSpeed=8\r\nColour=red\r\n"
                "[Extra]\r\nkey=value\r\n");
    }
    Settings s = defaultSettings();
    s.slots[1].speedIndex = 4;
    ASSERT_TRUE(saveSettingsFile(path, s));

    ProfileFile back;
    ASSERT_TRUE(back.load(path));
    EXPECT_EQ(back.lineEnding(), ProfileFile::LineEnding::CrLf);
    EXPECT_EQ(back.sectionEntries("Ports"), (QList<QPair<QString, QString>>{{"COM7", "/dev/ttyUSB0"}}));
    EXPECT_EQ(back.readString("Message2", "Colour", {}), "red");
    EXPECT_EQ(back.readString("Extra", "key", {}), "value");
    EXPECT_TRUE(back.toBytes().startsWith("; my badge\r\n[Ports]\r\n"));
    EXPECT_EQ(readSettings(back).slots[1].speedIndex, 4);
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

    const struct {
        const char *name;
        QByteArray file;
        std::function<void(const Settings &)> check;
    } cases[] = {
        {"empty", "", [](const Settings &s) { EXPECT_EQ(s, defaultSettings()); }},
        {"garbage", garbage, [](const Settings &) {}},
        {"5 MB", big, [](const Settings &s) {
             EXPECT_EQ(s.slots[0].text, "big");
             EXPECT_EQ(s.slots[15].speedIndex, 7);
         }},
        {"no = and keys before sections", "Select=0\n[Message1]\nSelect\nMode=3\n", [](const Settings &s) {
             EXPECT_EQ(s.slots[0].select, 1);
             EXPECT_EQ(s.slots[0].mode, 3);
         }},
        {"duplicates", "[Message1]\nMode=2\nMode=3\n[message1]\nMode=4\nFlash=1\n", [](const Settings &s) {
             EXPECT_EQ(s.slots[0].mode, 2);
             EXPECT_EQ(s.slots[0].flash, 0);
         }},
        {"out of range", "[Message1]\nSelect=2\nSpeed=9\nMode=8\nFlash=-1\nImage=65537\n[Message2]\nMode=7\n"
                         "[Language]\nLanguage=5\n",
         [](const Settings &s) {
             EXPECT_EQ(s.slots[0].select, 1);
             EXPECT_EQ(s.slots[0].speedIndex, 2);
             EXPECT_EQ(s.slots[0].mode, 0);
             EXPECT_EQ(s.slots[0].flash, 0);
             EXPECT_EQ(s.slots[0].image, 0);
             EXPECT_EQ(s.slots[1].mode, 0);
             EXPECT_EQ(s.language, 0);
         }},
        {"values meaning no item", "[Message1]\nSpeed=0\nMode=-1\n[Message2]\nMode=-1\n[Language]\nLanguage=-1\n",
         [](const Settings &s) {
             EXPECT_EQ(s.slots[0].speedIndex, -1);
             EXPECT_EQ(s.slots[0].mode, -1);
             EXPECT_EQ(s.slots[1].mode, -1);
             EXPECT_EQ(s.language, -1);
         }},
        {"animation in first slot", "[Message1]\nMode=7\n", [](const Settings &s) { EXPECT_EQ(s.slots[0].mode, 7); }},
        {"not a number", "[Message1]\nSelect=yes\nSpeed=\n", [](const Settings &s) {
             EXPECT_EQ(s.slots[0].select, 0);
             EXPECT_EQ(s.slots[0].speedIndex, -1);
         }},
        {"huge numbers", "[Message1]\nMode=4294967297\n[Alternate]\nAlternateBeginMsg=258\nAlternateMsgNum=2\n",
         [](const Settings &s) {
             EXPECT_EQ(s.slots[0].mode, 0);
             EXPECT_EQ(s.alternateBeginMsg, 0);
             EXPECT_EQ(s.alternateMsgNum, 0);
         }},
        {"group past the last slot", "[Alternate]\nAlternateBeginMsg=15\nAlternateMsgNum=5\n", [](const Settings &s) {
             EXPECT_EQ(s.alternateBeginMsg, 0);
             EXPECT_EQ(s.alternateMsgNum, 0);
         }},
        {"group at the end", "[Alternate]\nAlternateBeginMsg=14\nAlternateMsgNum=2\n", [](const Settings &s) {
             EXPECT_EQ(s.alternateBeginMsg, 14);
             EXPECT_EQ(s.alternateMsgNum, 2);
         }},
        {"BOM and CRLF", "\xEF\xBB\xBF[Message3]\r\nMessage3Text=Hi\r\nFlash=1\r\n", [](const Settings &s) {
             EXPECT_EQ(s.slots[2].text, "Hi");
             EXPECT_EQ(s.slots[2].flash, 1);
         }},
        {"empty text", "[Message1]\nMessage1Text=\n", [](const Settings &s) { EXPECT_EQ(s.slots[0].text, ""); }},
        {"5,000-byte text", "[Message1]\nMessage1Text=" + QByteArray(5000, 'x') + "\n",
         [](const Settings &s) { EXPECT_EQ(s.slots[0].text, QString(1023, QLatin1Char('x'))); }},
        {"GBK text", "[Language]\nLanguage=0\n[Message1]\nMessage1Text=\xD6\xD0\xCE\xC4\n",
         [](const Settings &s) { EXPECT_EQ(s.slots[0].text, QString::fromUtf8("中文")); }},
        {"Big5 text", "[Language]\nLanguage=1\n[Message1]\nMessage1Text=\xA4\xA4\xA4\xE5\n",
         [](const Settings &s) { EXPECT_EQ(s.slots[0].text, QString::fromUtf8("中文")); }},
        {"Shift-JIS text cut inside a character",
         "[Language]\nLanguage=2\n[Message1]\nMessage1Text=" + QByteArray(1022, 'a') + "\x93\xFA\x96\x7B\n",
         [](const Settings &s) { EXPECT_EQ(s.slots[0].text, QString(1022, QLatin1Char('a'))); }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const Settings s = readBytes(c.file);
        expectSane(s);
        c.check(s);
    }
}

TEST(Settings, FileLivesBesideTheProgramWhenThatFolderIsWritable)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EXPECT_EQ(settingsFilePath(dir.path()), QDir(dir.path()).filePath("Nvq.ini"));

    QStandardPaths::setTestModeEnabled(true);
    const QString program = dir.filePath("program");
    ASSERT_TRUE(QDir().mkpath(program));
    {
        QFile f(QDir(program).filePath("Nvq.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Language]\nLanguage=3\n");
    }
    QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner);
    const bool folderLocked = !QFileInfo(program).isWritable();
    QString fallback;
    if (folderLocked)
        fallback = settingsFilePath(program);
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (!folderLocked)
        GTEST_SKIP() << "running with rights that ignore folder permissions (root)";

    const QString configDir = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    EXPECT_EQ(fallback, QDir(configDir).filePath("Nvq.ini"));
    EXPECT_EQ(loadSettingsFile(fallback).language, 3);   // carried over
    QFile::remove(fallback);
}
