#include "files/picturefile.h"
#include "files/profilefile.h"
#include "settings/keptsettings.h"
#include "settings/settings.h"
#include "support/files.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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

// A setup and window state that differ from a first start in everything
// the kept section holds.
struct Kept {
    BadgeSetup setup = defaultBadgeSetup();
    WindowChoices choices;
    Kept()
    {
        setup.model = QStringLiteral("R2");
        setup.brightness = QStringLiteral("2");
        setup.slots[2].image = true;
        setup.slots[2].picture = stripes(1);
        setup.slots[9].picture = stripes(3); // a picture behind a text slot is kept too
        setup.slots[0].text = QStringLiteral("Grüße 你好");
        choices.port = QStringLiteral("COM12");
        choices.pictureFolder = QStringLiteral("/home/someone/Bilder");
        choices.pan[2] = 640;
        choices.pan[9] = kPanEnd;
    }
};

// The pictures kept for slot n (1..16) in dir, by name.
QStringList keptFiles(const QTemporaryDir &dir, int n)
{
    return QDir(dir.path()).entryList({QStringLiteral("Nvq-slot%1-*.bmp").arg(n)}, QDir::Files);
}

} // namespace

TEST(KeptSettings, ModelBrightnessPortFolderPicturesAndPanComeBack)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Nvq.ini");
    const Kept kept;
    QString reason;
    ASSERT_TRUE(saveStoredSettings(path, kept.setup, kept.choices, &reason)) << reason.toStdString();
    EXPECT_TRUE(reason.isEmpty());
    EXPECT_EQ(keptFiles(dir, 3).size(), 1);
    EXPECT_TRUE(keptFiles(dir, 1).isEmpty()) << "a blank canvas is not written";

    const StoredSettings back = loadStoredSettings(path);
    EXPECT_TRUE(back.pictureProblems.empty());
    EXPECT_EQ(back.window.port, kept.choices.port);
    EXPECT_EQ(back.window.pictureFolder, kept.choices.pictureFolder);
    EXPECT_EQ(back.window.pan, kept.choices.pan);
    BadgeSetup expected = kept.setup;
    for (int i = 0; i < kSlotCount; ++i) {
        EXPECT_EQ(back.setup.slots[i].picture.convertToFormat(kCanvasFormat),
                  kept.setup.slots[i].picture.convertToFormat(kCanvasFormat))
            << i;
        EXPECT_EQ(back.setup.slots[i].picture.size(), kept.setup.slots[i].picture.size()) << i;
        expected.slots[i].picture = back.setup.slots[i].picture; // compared above, whatever its format
    }
    EXPECT_TRUE(back.setup == expected);
    // Whoever reads the file the usual way sends the same.
    EXPECT_TRUE(loadSettingsFile(path) == back.setup);
}

TEST(KeptSettings, TheOlderSectionsReadTheSameEitherWay)
{
    QTemporaryDir dir;
    const Kept kept;
    // Written with and without the kept section: the older keys are identical,
    // and a file without the section reads as a first start for what it lacks.
    ASSERT_TRUE(saveSettingsFile(dir.filePath("plain.ini"), kept.setup));
    ASSERT_TRUE(saveStoredSettings(dir.filePath("kept.ini"), kept.setup, kept.choices));
    ProfileFile plain, withSection;
    ASSERT_TRUE(plain.load(dir.filePath("plain.ini")));
    ASSERT_TRUE(withSection.load(dir.filePath("kept.ini")));
    EXPECT_TRUE(readSettings(plain) == readSettings(withSection));
    EXPECT_FALSE(plain.contains(QLatin1String(kKeptSection), QStringLiteral("Model")));
    const QByteArray keptBytes = withSection.toBytes();
    EXPECT_TRUE(keptBytes.startsWith(plain.toBytes())) << "the older sections come first, unchanged";

    const StoredSettings old = loadStoredSettings(dir.filePath("plain.ini"));
    EXPECT_EQ(old.setup.model, QStringLiteral("R1"));
    EXPECT_EQ(old.setup.brightness, QStringLiteral("4"));
    EXPECT_TRUE(old.window.port.isNull());
    EXPECT_EQ(old.window.pan[2], kPanHome);
}

TEST(KeptSettings, AMissingOrDamagedPictureGivesABlankSlotAndAProblem)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Nvq.ini");
    const Kept kept;
    ASSERT_TRUE(saveStoredSettings(path, kept.setup, kept.choices));
    ASSERT_EQ(keptFiles(dir, 3).size(), 1);
    ASSERT_EQ(keptFiles(dir, 10).size(), 1);
    const QString slot3 = dir.filePath(keptFiles(dir, 3)[0]);
    ASSERT_TRUE(writeFile(slot3, "BM not really a picture"));
    ASSERT_TRUE(QFile::remove(dir.filePath(keptFiles(dir, 10)[0])));
    const StoredSettings back = loadStoredSettings(path);
    ASSERT_EQ(back.pictureProblems.size(), 2u);
    EXPECT_EQ(back.pictureProblems[0].slot, 2);
    EXPECT_EQ(back.pictureProblems[1].slot, 9);
    EXPECT_FALSE(back.pictureProblems[0].reason.isEmpty());
    EXPECT_TRUE(back.setup.slots[2].picture.isNull());
    EXPECT_EQ(back.window.pan[2], kPanHome) << "no picture, no pan";
    EXPECT_EQ(back.setup.model, QStringLiteral("R2")) << "the rest still comes back";

    // Saving again with the slots still blank keeps the damaged file and
    // both settings: what could not be read is the user's to mend.
    ASSERT_TRUE(saveStoredSettings(path, back.setup, back.window));
    EXPECT_EQ(readFile(slot3), "BM not really a picture");
    EXPECT_EQ(loadStoredSettings(path).pictureProblems.size(), 2u);
    EXPECT_EQ(tidyKeptFolder(path), 0) << "a file the settings name is never tidied away";
    EXPECT_EQ(readFile(slot3), "BM not really a picture");
}

TEST(KeptSettings, OutOfRangePansAreClampedAndPathsFollowTheSettingsName)
{
    ProfileFile file = ProfileFile::fromBytes("[Glintag]\nPan1=-50\nPan2=99999\nPan3=12\nPicture4=/abs/p.bmp\n");
    BadgeSetup setup;
    WindowChoices choices;
    std::array<QString, kSlotCount> pictures;
    readKeptSection(file, QStringLiteral("/cfg"), setup, choices, pictures);
    EXPECT_EQ(choices.pan[0], kPanHome);
    EXPECT_EQ(choices.pan[1], kPanEnd);
    EXPECT_EQ(choices.pan[2], 12);
    EXPECT_EQ(pictures[3], QStringLiteral("/abs/p.bmp"));
    EXPECT_TRUE(pictures[0].isEmpty());
    EXPECT_EQ(keptPicturePath(QStringLiteral("/cfg/Nvq.ini"), 15), QStringLiteral("/cfg/Nvq-slot16.bmp"));
}
