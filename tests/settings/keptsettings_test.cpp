#include "files/folderlock.h"
#include "files/picturefile.h"
#include "settings/keptsettings.h"
#include "settings/settings.h"
#include "support/files.h"
#include "support/fulldisk.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>
#include <unistd.h>

using namespace glintag;

namespace {

QImage stripes(int seed)
{
    QImage canvas = makeBlankCanvas();
    QPainter p(&canvas);
    for (int x = seed; x < 600; x += 7)
        p.fillRect(x, x % 12, 2, 3, QColor(255, seed * 40 % 256, 0));
    return canvas;
}

// The pictures kept for slot n (1..16) in dir, by name.
QStringList keptFiles(const QTemporaryDir &dir, int n)
{
    return QDir(dir.path()).entryList({QStringLiteral("Nvq-slot%1-*.bmp").arg(n)}, QDir::Files);
}

} // namespace

TEST(KeptSettings, PortFolderPicturesBehindTextsAndPansToTheEndComeBack)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Nvq.ini");
    // What the window's restart test leaves out: the port and picture
    // folder as saved, a picture behind a text slot, a blank canvas and a
    // pan to the end.
    BadgeSetup setup = defaultBadgeSetup();
    setup.slots[2].image = true;
    setup.slots[2].picture = stripes(1);
    setup.slots[9].picture = stripes(3);
    WindowChoices choices;
    choices.port = QStringLiteral("COM12");
    choices.pictureFolder = QStringLiteral("/home/someone/Bilder");
    choices.pan[9] = kPanEnd;
    QString reason;
    ASSERT_TRUE(saveStoredSettings(path, setup, choices, &reason)) << reason.toStdString();
    EXPECT_TRUE(reason.isEmpty());
    EXPECT_EQ(keptFiles(dir, 3).size(), 1);
    EXPECT_TRUE(keptFiles(dir, 1).isEmpty()) << "a blank canvas is not written";

    const StoredSettings back = loadStoredSettings(path);
    EXPECT_TRUE(back.pictureProblems.empty());
    EXPECT_EQ(back.window.port, choices.port);
    EXPECT_EQ(back.window.pictureFolder, choices.pictureFolder);
    EXPECT_EQ(back.window.pan, choices.pan);
    for (int i = 0; i < kSlotCount; ++i)
        EXPECT_EQ(back.setup.slots[i].picture.convertToFormat(kCanvasFormat),
                  setup.slots[i].picture.convertToFormat(kCanvasFormat))
            << i;
    // Whoever reads the file the usual way sends the same.
    EXPECT_TRUE(loadSettingsFile(path) == back.setup);
}

namespace {

// Sixteen different pictures, one per slot; generation g gives another set.
BadgeSetup sixteenPictures(int generation)
{
    BadgeSetup setup = defaultBadgeSetup();
    for (int i = 0; i < kSlotCount; ++i)
        setup.slots[i].picture = stripes(1 + i + 20 * generation);
    return setup;
}

// Every picture the settings file names, read back; empty when one fails.
std::vector<QImage> namedPictures(const QString &path)
{
    const StoredSettings back = loadStoredSettings(path);
    if (!back.pictureProblems.empty())
        return {};
    std::vector<QImage> pictures;
    for (const SlotSetup &slot : back.setup.slots)
        pictures.push_back(slot.picture.convertToFormat(kCanvasFormat));
    return pictures;
}

} // namespace

TEST(KeptSettings, WhatStandsAtAPicturesNameIsNeverWrittenThrough)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Nvq.ini");
    ASSERT_TRUE(saveStoredSettings(path, sixteenPictures(0), WindowChoices()));
    const BadgeSetup next = sixteenPictures(1);
    const QString name = keptPictureName(path, 4, canvasAsBmp(next.slots[4].picture.convertToFormat(kCanvasFormat)));
    ASSERT_TRUE(writeFile(dir.filePath("logo.bmp"), "the user's own picture"));
    const QByteArray at = QFile::encodeName(dir.filePath(name));
    const struct {
        const char *what;
        std::function<bool()> make;
    } cases[] = {
        {"link to the user's file", [&] { return ::symlink("logo.bmp", at.constData()) == 0; }},
        {"FIFO", [&] { return ::mkfifo(at.constData(), 0600) == 0; }},
        {"folder", [&] { return QDir().mkdir(dir.filePath(name)); }},
        {"someone else's file", [&] { return writeFile(dir.filePath(name), "not what the name promises"); }},
    };
    const std::vector<QImage> before = namedPictures(path);
    ASSERT_EQ(before.size(), size_t(kSlotCount));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(c.make());
        struct stat old, now;
        ASSERT_EQ(::lstat(at.constData(), &old), 0);
        QString reason;
        std::vector<int> unsaved;
        EXPECT_TRUE(saveStoredSettings(path, next, WindowChoices(), &reason, &unsaved));
        EXPECT_EQ(unsaved, std::vector<int>{4});
        EXPECT_TRUE(reason.startsWith(dir.filePath(name) + QStringLiteral(": The name belongs to ")))
            << reason.toStdString();
        ASSERT_EQ(::lstat(at.constData(), &now), 0);
        EXPECT_TRUE(old.st_ino == now.st_ino && old.st_mode == now.st_mode && old.st_size == now.st_size);
        EXPECT_EQ(readFile(dir.filePath("logo.bmp")), "the user's own picture");
        const std::vector<QImage> after = namedPictures(path);
        ASSERT_EQ(after.size(), size_t(kSlotCount));
        for (int i = 0; i < kSlotCount; ++i)
            EXPECT_EQ(after[i], i == 4 ? before[4] : next.slots[i].picture.convertToFormat(kCanvasFormat))
                << "slot " << i + 1 << ": slot 5 keeps the picture saved before, the rest are new";
        EXPECT_EQ(tidyKeptFolder(path), 0);
        QFile::remove(dir.filePath(name));
        QDir().rmdir(dir.filePath(name));
        ASSERT_TRUE(saveStoredSettings(path, sixteenPictures(0), WindowChoices()));
    }
}

TEST(KeptSettings, AFullDiskDuringTheCloseLosesNoPictureSavedBefore)
{
    // As many pictures as fit are replaced; each one that does not fit
    // leaves the one saved before named, and nothing half written is left.
    QTemporaryDir dir;
    const QString path = dir.filePath("Nvq.ini");
    ASSERT_TRUE(saveStoredSettings(path, sixteenPictures(0), WindowChoices()));
    const std::vector<QImage> first = namedPictures(path);
    ASSERT_EQ(first.size(), size_t(kSlotCount));
    QString reason;
    std::vector<int> unsaved;
    bool saved;
    {
        const FullDisk full(64 * 1024); // each picture is larger, the settings file is not
        saved = saveStoredSettings(path, sixteenPictures(1), WindowChoices(), &reason, &unsaved);
    }
    EXPECT_TRUE(saved) << reason.toStdString();
    EXPECT_EQ(unsaved.size(), size_t(kSlotCount));
    EXPECT_EQ(reason.count(QStringLiteral("The file cannot be written: ")), kSlotCount) << reason.toStdString();
    EXPECT_TRUE(QDir(dir.path()).entryList({QStringLiteral(".glintag-*")}, QDir::Files | QDir::Hidden).isEmpty());
    EXPECT_EQ(tidyKeptFolder(path), 0) << "the next start finds nothing to tidy";
    EXPECT_EQ(namedPictures(path), first) << "the next start shows every picture saved before";
}

TEST(KeptSettings, TheStartRemovesOnlyWhatAKilledSaveOfItsOwnLeftBehind)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Nvq.ini");
    ASSERT_TRUE(saveStoredSettings(path, sixteenPictures(0), WindowChoices()));
    const QByteArray orphanBmp = canvasAsBmp(stripes(99));
    const QString orphan = keptPictureName(path, 2, orphanBmp);
    const struct {
        QString name;
        QByteArray bytes;
        bool removed;
    } files[] = {
        {QStringLiteral(".glintag-partial-Ab3dE6fG"), "half a save", true},
        {orphan, orphanBmp, true}, // written, then killed before the settings file named it
        {QStringLiteral("Nvq-slot5.bmp.Ab3dE6"), "the user's", false},
        {QStringLiteral("Nvq-slot5.bmp"), orphanBmp, false}, // an older version's name: maybe the user's
        {keptPictureName(path, 6, "other bytes"), "not what its name says", false},
        {QStringLiteral("Other-slot1-0123456789abcdef.bmp"), orphanBmp, false},
    };
    for (const auto &f : files)
        ASSERT_TRUE(writeFile(dir.filePath(f.name), f.bytes));
    ASSERT_EQ(
        ::symlink(qPrintable(dir.filePath(orphan)), qPrintable(dir.filePath(QStringLiteral(".glintag-partial-link")))),
        0);
    const std::vector<QImage> before = namedPictures(path);
    {
        // Another instance in the middle of its close: its files are no litter.
        const FolderLock saving(dir.path(), FolderLock::Kind::Exclusive, FolderLock::Wait::Try);
        ASSERT_TRUE(saving.held());
        EXPECT_EQ(tidyKeptFolder(path), 0);
    }
    EXPECT_EQ(tidyKeptFolder(path), 2);
    for (const auto &f : files)
        EXPECT_EQ(QFile::exists(dir.filePath(f.name)), !f.removed) << f.name.toStdString();
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral(".glintag-partial-link"))).isSymLink());
    EXPECT_EQ(namedPictures(path), before);
}
