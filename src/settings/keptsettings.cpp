#include "settings/keptsettings.h"

#include "files/picturefile.h"
#include "files/profilefile.h"
#include "settings/settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace glintag {

namespace {

const QString kSection = QLatin1String(kKeptSection);
const QString kModel = QStringLiteral("Model");
const QString kBrightness = QStringLiteral("Brightness");
const QString kPort = QStringLiteral("Port");
const QString kPictureFolder = QStringLiteral("PictureFolder");

QString pictureKey(int slot)
{
    return QStringLiteral("Picture%1").arg(slot + 1);
}
QString panKey(int slot)
{
    return QStringLiteral("Pan%1").arg(slot + 1);
}

bool isBlank(const QImage &canvas)
{
    if (canvas.isNull())
        return true;
    static const QImage blank = makeBlankCanvas();
    return canvas.convertToFormat(kCanvasFormat) == blank;
}

} // namespace

QString keptPicturePath(const QString &settingsPath, int slot)
{
    const QFileInfo info(settingsPath);
    return info.dir().filePath(QStringLiteral("%1-slot%2.bmp").arg(info.completeBaseName()).arg(slot + 1));
}

void readKeptSection(const ProfileFile &file, const QString &settingsDir, BadgeSetup &setup, WindowChoices &choices,
                     std::array<QString, kSlotCount> &pictureFiles)
{
    auto text = [&](const QString &key, QString &into) {
        if (file.contains(kSection, key))
            into = file.readString(kSection, key, QString());
    };
    text(kModel, setup.model);
    text(kBrightness, setup.brightness);
    text(kPort, choices.port);
    text(kPictureFolder, choices.pictureFolder);
    const QDir dir(settingsDir);
    for (int i = 0; i < kSlotCount; ++i) {
        const int pan = file.readInt(kSection, panKey(i), kPanHome);
        choices.pan[size_t(i)] = std::clamp(pan, kPanHome, kPanEnd);
        const QString name = file.readString(kSection, pictureKey(i), QString());
        pictureFiles[size_t(i)] = name.isEmpty() ? QString() : dir.filePath(name);
    }
}

void writeKeptSection(ProfileFile &file, const BadgeSetup &setup, const WindowChoices &choices,
                      const std::array<QString, kSlotCount> &pictureFiles)
{
    file.writeString(kSection, kModel, setup.model);
    file.writeString(kSection, kBrightness, setup.brightness);
    file.writeString(kSection, kPort, choices.port);
    file.writeString(kSection, kPictureFolder, choices.pictureFolder);
    for (int i = 0; i < kSlotCount; ++i) {
        file.writeString(kSection, pictureKey(i), pictureFiles[size_t(i)]);
        file.writeInt(kSection, panKey(i), choices.pan[size_t(i)]);
    }
}

void writeKeptSetup(ProfileFile &file, const BadgeSetup &setup)
{
    file.writeString(kSection, kModel, setup.model);
    file.writeString(kSection, kBrightness, setup.brightness);
}

StoredSettings loadStoredSettings(const QString &settingsPath)
{
    StoredSettings stored;
    ProfileFile file;
    file.load(settingsPath); // an unreadable file reads as empty: the defaults
    stored.setup = readSettings(file);
    stored.ports = readPortEntries(file);
    std::array<QString, kSlotCount> pictureFiles;
    readKeptSection(file, QFileInfo(settingsPath).absolutePath(), stored.setup, stored.window, pictureFiles);
    for (int i = 0; i < kSlotCount; ++i) {
        const QString &path = pictureFiles[size_t(i)];
        if (path.isEmpty())
            continue;
        QImage canvas = makeBlankCanvas();
        QString why;
        if (!loadPictureOntoCanvas(path, canvas, &why)) {
            stored.pictureProblems.push_back({i, path, why});
            stored.window.pan[size_t(i)] = kPanHome;
            continue;
        }
        stored.setup.slots[size_t(i)].picture = canvas;
    }
    return stored;
}

bool saveStoredSettings(const QString &settingsPath, const BadgeSetup &setup, const WindowChoices &choices,
                        QString *reason)
{
    QStringList problems;
    std::array<QString, kSlotCount> pictureFiles;
    for (int i = 0; i < kSlotCount; ++i) {
        const QString path = keptPicturePath(settingsPath, i);
        const QImage &picture = setup.slots[size_t(i)].picture;
        if (isBlank(picture)) {
            QFile::remove(path);
            continue;
        }
        QString why;
        if (saveCanvasAsBmp(picture.convertToFormat(kCanvasFormat), path, &why))
            pictureFiles[size_t(i)] = QFileInfo(path).fileName();
        else
            problems << QStringLiteral("%1: %2").arg(path, why);
    }

    ProfileFile file;
    QString why;
    // Writing over a file we could not read would drop its other sections.
    bool ok = file.load(settingsPath, &why);
    if (ok) {
        writeSettings(file, setup);
        writeKeptSection(file, setup, choices, pictureFiles);
        ok = file.save(settingsPath, &why);
    }
    if (!ok)
        problems.prepend(QStringLiteral("%1: %2").arg(settingsPath, why));
    if (reason)
        *reason = problems.join(QLatin1Char('\n'));
    return ok;
}

} // namespace glintag
