#include "settings/setupfile.h"

#include "files/atomicfile.h"
#include "files/folderlock.h"
#include "files/outputfile.h"
#include "files/picturefile.h"
#include "files/profilefile.h"
#include "settings/settings.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace glintag {

namespace {

const QString kColumns = QStringLiteral("Columns");

QString pictureSection(int slot)
{
    return QStringLiteral("Dots%1").arg(slot + 1);
}
QString rowKey(int row)
{
    return QStringLiteral("Row%1").arg(row + 1);
}

// The same test the renderer makes: bit 7 of the red component.
bool lit(QRgb pixel)
{
    return (pixel & 0x800000u) != 0;
}

int usedColumns(const QImage &canvas)
{
    int used = 0;
    const int width = std::min(canvas.width(), kCanvasWidth);
    for (int y = 0; y < std::min(canvas.height(), kCanvasHeight); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(canvas.constScanLine(y));
        for (int x = width - 1; x >= used; --x)
            if (lit(line[x])) {
                used = x + 1;
                break;
            }
    }
    return used;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return 0;
}

const QString kRecent = QStringLiteral("Recent");

QString recentKey(int n)
{
    return QStringLiteral("File%1").arg(n + 1);
}

// A save that was killed leaves its temporary beside the setup file. The
// folder is the user's, and anything may be saving into it right now, so
// only temporaries nobody has written to for a while count as left over: a
// save writes its file in well under a second.
constexpr qint64 kLeftoverQuietSeconds = 60;

void removeLeftoversBeside(const QString &setupPath)
{
    const QDateTime now = QDateTime::currentDateTime();
    const QFileInfoList found = QFileInfo(setupPath).absoluteDir().entryInfoList(
        {QLatin1String(kTemporaryPrefix) + QLatin1Char('*')},
        QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    for (const QFileInfo &info : found) {
        if (info.isFile() && !info.isSymLink() && info.lastModified().secsTo(now) >= kLeftoverQuietSeconds)
            QFile::remove(info.absoluteFilePath());
    }
}

} // namespace

QStringList loadRecentFiles(const QString &settingsPath)
{
    ProfileFile file;
    file.load(settingsPath);
    QStringList paths;
    for (int n = 0; n < kRecentFiles; ++n) {
        const QString path = file.readString(kRecent, recentKey(n), QString());
        if (!path.isEmpty())
            paths << path;
    }
    return paths;
}

bool saveRecentFiles(const QString &settingsPath, const QStringList &paths, QString *reason)
{
    ProfileFile file;
    if (!file.load(settingsPath, reason))
        return false;
    for (int n = 0; n < kRecentFiles; ++n)
        file.writeString(kRecent, recentKey(n), paths.value(n));
    return file.save(settingsPath, reason);
}

bool hasPictureSection(const ProfileFile &file, int slot)
{
    return file.contains(pictureSection(slot), kColumns);
}

void writePictureSection(ProfileFile &file, int slot, const QImage &canvas)
{
    if (canvas.isNull())
        return;
    const QImage image = canvas.convertToFormat(kCanvasFormat);
    const int used = usedColumns(image);
    if (used == 0)
        return;
    const QString section = pictureSection(slot);
    file.writeInt(section, kColumns, used);
    static const char digits[] = "0123456789ABCDEF";
    for (int y = 0; y < kCanvasHeight; ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        QByteArray hex((used + 3) / 4, '0');
        for (int x = 0; x < used; ++x)
            if (lit(line[x]))
                hex[x / 4] = digits[hexValue(hex[x / 4]) | (8 >> (x % 4))];
        file.writeString(section, rowKey(y), QString::fromLatin1(hex));
    }
}

QImage readPictureSection(const ProfileFile &file, int slot)
{
    QImage canvas = makeBlankCanvas();
    const QString section = pictureSection(slot);
    const int used = std::clamp(file.readInt(section, kColumns, 0), 0, kCanvasWidth);
    for (int y = 0; y < kCanvasHeight; ++y) {
        // The raw value: a full row is longer than a text read returns.
        const QByteArray hex = file.rawValue(section, rowKey(y)).value_or(QByteArray());
        QRgb *line = reinterpret_cast<QRgb *>(canvas.scanLine(y));
        for (int x = 0; x < used && x / 4 < hex.size(); ++x)
            if (hexValue(hex[x / 4]) & (8 >> (x % 4)))
                line[x] = 0xFFFFFFFFu;
    }
    return canvas;
}

bool loadSetupFile(const QString &path, StoredSettings &stored, QString *reason)
{
    // Read once: what was judged readable is what is shown. A save that is
    // tidying the folder finishes first, as for the settings file.
    const QString folder = QFileInfo(path).absolutePath();
    const FolderLock lock(folder, FolderLock::Kind::Shared, FolderLock::Wait::Block);
    ProfileFile file;
    if (!file.load(path, reason))
        return false;
    stored = storedSettingsFrom(file, folder, PictureNames::InFileFolder);
    applyEmbeddedPictures(file, stored);
    removeLeftoversBeside(path);
    return true;
}

void applyEmbeddedPictures(const ProfileFile &file, StoredSettings &stored)
{
    for (int i = 0; i < kSlotCount; ++i)
        if (hasPictureSection(file, i))
            stored.setup.slots[size_t(i)].picture = readPictureSection(file, i);
}

bool saveSetupFile(const QString &path, const BadgeSetup &setup, QString *reason)
{
    ProfileFile file;
    writeSettings(file, setup);
    writeKeptSetup(file, setup);
    for (int i = 0; i < kSlotCount; ++i)
        writePictureSection(file, i, setup.slots[size_t(i)].picture);
    // A file for the user, written as every such file is.
    const OutputResult written = writeOutputFile(QFile::encodeName(path), file.toBytes());
    if (!written.ok()) {
        if (reason)
            *reason = QStringLiteral("The file cannot be written: %1.").arg(written.reason());
        return false;
    }
    removeLeftoversBeside(path);
    return true;
}

} // namespace glintag
