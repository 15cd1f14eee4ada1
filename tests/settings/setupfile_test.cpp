#include "files/picturefile.h"
#include "files/profilefile.h"
#include "settings/keptsettings.h"
#include "settings/setupfile.h"
#include "support/files.h"

#include <QDateTime>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace glintag;

TEST(SetupFile, PictureRowsHoldTheUsedColumnsAsHex)
{
    const struct {
        const char *what;
        std::vector<QPoint> lit;
        QByteArray section; // empty: no section at all
    } cases[] = {
        {"blank", {}, ""},
        {"one dot top left", {{0, 0}}, "Columns=1\nRow1=8\nRow2=0\n"},
        {"a dot in column 5, row 2", {{5, 1}}, "Columns=6\nRow1=00\nRow2=04\n"},
        {"the last column", {{4095, 11}}, "Columns=4096\n"},
    };
    for (const auto &c : cases) {
        QImage canvas = makeBlankCanvas();
        for (const QPoint &p : c.lit)
            canvas.setPixel(p, qRgb(200, 30, 0)); // lit at red >= 128, whatever the rest
        ProfileFile file;
        writePictureSection(file, 3, canvas);
        const QByteArray bytes = file.toBytes();
        EXPECT_EQ(hasPictureSection(file, 3), !c.section.isEmpty()) << c.what;
        EXPECT_TRUE(bytes.contains(c.section)) << c.what << ":\n" << bytes.left(200).toStdString();
        // Read back: the same dots, white.
        QImage expected = makeBlankCanvas();
        for (const QPoint &p : c.lit)
            expected.setPixel(p, 0xFFFFFFFFu);
        EXPECT_TRUE(readPictureSection(file, 3) == expected) << c.what;
    }
}

TEST(SetupFile, PicturesNamedOutsideTheFilesFolderAreNotOpened)
{
    // A shared setup file's folder ("shared") with a picture in it and one in
    // a folder below; the receiver's private picture beside that folder.
    QTemporaryDir dir;
    const QDir root(dir.path());
    ASSERT_TRUE(root.mkpath(QStringLiteral("shared/sub")));
    QImage picture(64, 12, QImage::Format_RGB32);
    picture.fill(qRgb(255, 0, 0));
    for (const char *name : {"private.bmp", "shared/in.bmp", "shared/sub/below.bmp"})
        ASSERT_TRUE(picture.save(root.filePath(QLatin1String(name)), "BMP"));
    const QString privatePath = root.filePath(QStringLiteral("private.bmp"));
    const auto link = [&root](const QString &target, const char *at) {
        return ::symlink(QFile::encodeName(target), QFile::encodeName(root.filePath(QLatin1String(at)))) == 0;
    };
    ASSERT_TRUE(link(privatePath, "shared/out-link.bmp") && link("in.bmp", "shared/in-link.bmp")
                && link("..", "shared/up"));
    const struct {
        QString name;
        bool opened;
    } cases[] = {
        {privatePath, false},
        {QStringLiteral("../private.bmp"), false},
        {QStringLiteral("sub/../../private.bmp"), false},
        {QStringLiteral("out-link.bmp"), false},
        {QStringLiteral("up/private.bmp"), false},
        {QStringLiteral("in.bmp"), true},
        {QStringLiteral("./sub/below.bmp"), true},
        {QStringLiteral("in-link.bmp"), true},
    };
    const QString setupPath = root.filePath(QStringLiteral("shared/setup.ini"));
    for (const auto &c : cases) {
        ASSERT_TRUE(writeFile(setupPath, "[Message3]\nImage=1\n[Glintag]\nPicture3=" + c.name.toUtf8() + "\n"));
        StoredSettings opened;
        ASSERT_TRUE(loadSetupFile(setupPath, opened)) << c.name.toStdString();
        const QImage &canvas = opened.setup.slots[2].picture;
        EXPECT_EQ(!canvas.isNull() && canvas.pixel(0, 0) == qRgb(255, 0, 0), c.opened) << c.name.toStdString();
        ASSERT_EQ(opened.pictureProblems.size(), c.opened ? 0u : 1u) << c.name.toStdString();
        if (!c.opened) {
            EXPECT_EQ(opened.pictureProblems[0].slot, 2);
            EXPECT_TRUE(opened.pictureProblems[0].outsideFolder);
            EXPECT_TRUE(opened.pictureProblems[0].file.endsWith(QFileInfo(c.name).fileName()))
                << opened.pictureProblems[0].file.toStdString();
        }
        // The program's own settings file may name its pictures anywhere.
        const StoredSettings own = loadStoredSettings(setupPath);
        EXPECT_TRUE(own.pictureProblems.empty()) << c.name.toStdString();
        EXPECT_EQ(own.setup.slots[2].picture.pixel(0, 0), qRgb(255, 0, 0)) << c.name.toStdString();
    }
}

TEST(SetupFile, OpeningOrSavingRemovesTheLeftoversOfAKilledSaveBesideIt)
{
    const auto hourAgo = QDateTime::currentDateTime().addSecs(-3600);
    const struct {
        const char *name;
        bool old;
        bool stays;
    } files[] = {
        {".glintag-partial-Ab3dE6gH", true, false}, // a killed save's
        {".glintag-partial-fresh123", false, true}, // being written right now
        {".glintag-partialX", true, true},          // not one of ours
        {"setup.ini.bak", true, true},
    };
    for (const bool bySaving : {false, true}) {
        QTemporaryDir dir;
        const QString setupPath = dir.filePath(QStringLiteral("setup.ini"));
        ASSERT_TRUE(saveSetupFile(setupPath, defaultBadgeSetup()));
        for (const auto &f : files) {
            QFile file(dir.filePath(QLatin1String(f.name)));
            ASSERT_TRUE(writeFile(file.fileName(), "part") && file.open(QIODevice::Append));
            ASSERT_TRUE(!f.old || file.setFileTime(hourAgo, QFileDevice::FileModificationTime));
        }
        // An old link under such a name is left alone, and so is what it leads to.
        ASSERT_TRUE(writeFile(dir.filePath(QStringLiteral("target")), "mine"));
        ASSERT_EQ(::symlink("target", dir.filePath(QStringLiteral(".glintag-partial-link")).toLocal8Bit().constData()),
                  0);
        StoredSettings opened;
        ASSERT_TRUE(bySaving ? saveSetupFile(setupPath, defaultBadgeSetup()) : loadSetupFile(setupPath, opened));
        for (const auto &f : files)
            EXPECT_EQ(QFileInfo::exists(dir.filePath(QLatin1String(f.name))), f.stays) << f.name << bySaving;
        EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral(".glintag-partial-link"))).isSymLink()) << bySaving;
        EXPECT_EQ(readFile(dir.filePath(QStringLiteral("target"))), "mine");
    }
}
