#include "settings/keptsettings.h"

#include "files/atomicfile.h"
#include "files/folderlock.h"
#include "files/picturefile.h"
#include "files/profilefile.h"
#include "files/regularfile.h"
#include "settings/settings.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <optional>

namespace glintag {

namespace {

const QString kSection = QLatin1String(kKeptSection);
const QString kModel = QStringLiteral("Model");
const QString kBrightness = QStringLiteral("Brightness");
const QString kPort = QStringLiteral("Port");
const QString kPictureFolder = QStringLiteral("PictureFolder");

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

// Why the pictures are named by their content and the folder is locked
// across the close: a settings file, once committed, names only files that
// are never rewritten, so a kill, a full disk or another window's save can
// at worst leave a picture nobody names - never a name whose file is gone
// or half written. Removing those spare files is the one dangerous step; it
// happens only under the folder's exclusive lock, after the settings file
// on disk has been read again, and only to files whose name is the hash of
// their own bytes: files this program wrote. Links and anything else under
// such a name are left alone.
constexpr int kHashDigits = 16;
constexpr qint64 kLargestKeptPicture = 1024 * 1024; // a canvas BMP is 147,510 bytes
// A kept picture the user put there by hand may be larger; beyond this it
// stays in the program folder rather than being copied.
constexpr qint64 kMaxCopiedPicture = 64 * 1024 * 1024;

QString contentHash(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().left(kHashDigits));
}

// The whole of an open file, or nothing when it holds more than limit bytes:
// it may have grown since its size was looked at.
std::optional<QByteArray> readAtMost(QFile &file, qint64 limit)
{
    QByteArray bytes = file.read(limit + 1);
    if (bytes.size() > limit || file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

// True when path is a regular file (not a link) whose bytes hash to hash.
bool holdsOwnBytes(const QString &path, const QString &hash)
{
    const QFileInfo info(path);
    if (info.isSymLink() || !info.isFile() || info.size() > kLargestKeptPicture)
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const std::optional<QByteArray> bytes = readAtMost(file, kLargestKeptPicture);
    return bytes && contentHash(*bytes) == hash;
}

QString settingsFolder(const QString &settingsPath)
{
    return QFileInfo(settingsPath).absolutePath();
}

// The kept pictures of this program beside the settings file that the file
// on disk does not name. None when that file cannot be read.
int removeUnnamedPictures(const QString &settingsPath)
{
    ProfileFile file;
    if (!file.load(settingsPath))
        return 0;
    const QDir dir(settingsFolder(settingsPath));
    QSet<QString> named;
    for (int i = 0; i < kSlotCount; ++i) {
        const QString name = file.readString(kSection, keptPictureKey(i), QString());
        if (!name.isEmpty())
            named.insert(QFileInfo(dir.filePath(name)).absoluteFilePath());
    }
    const QString base = QFileInfo(settingsPath).completeBaseName();
    const QRegularExpression own(QStringLiteral("^%1-slot([1-9]|1[0-6])-([0-9a-f]{%2})\\.bmp$")
                                     .arg(QRegularExpression::escape(base))
                                     .arg(kHashDigits));
    int removed = 0;
    const QFileInfoList found = dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    for (const QFileInfo &info : found) {
        const QRegularExpressionMatch match = own.match(info.fileName());
        if (!match.hasMatch() || named.contains(info.absoluteFilePath()))
            continue;
        if (holdsOwnBytes(info.absoluteFilePath(), match.captured(2)) && QFile::remove(info.absoluteFilePath()))
            ++removed;
    }
    return removed;
}

// Puts bmp under path unless that file already holds exactly these bytes.
// Whatever else stands there is refused, never written through.
bool writeKeptPicture(const QString &path, const QByteArray &bmp, const QString &hash, QString *why)
{
    const QFileInfo info(path);
    if (info.isSymLink() || (info.exists() && !info.isFile())) {
        *why = info.isSymLink() ? QStringLiteral("The name belongs to a link, not a file; it was left alone.")
                                : notARegularFileReason(info.isDir());
        return false;
    }
    if (info.exists()) {
        if (holdsOwnBytes(path, hash))
            return true; // already saved, by this window or another
        // Not the bytes its name promises: someone else's file.
        *why = QStringLiteral("The name belongs to another file; it was left alone.");
        return false;
    }
    return writeFileAtomically(path, bmp, why);
}

// The file a picture name leads to from folder, or empty when it leads out
// of it: an absolute name, a way out with "..", a link pointing outside.
// Links are resolved here, so what is opened is what was judged.
QString pictureInFolder(const QString &folder, const QString &name)
{
    if (QDir::isAbsolutePath(name))
        return {};
    const QString base = QFileInfo(folder).canonicalFilePath();
    if (base.isEmpty())
        return {};
    const QString path = QDir(base).filePath(name);
    const QString real = QFileInfo(path).canonicalFilePath();
    // A name with nothing behind it (yet) is judged as it is spelled; it
    // then fails to open like any missing picture.
    const QString leadsTo = real.isEmpty() ? QDir::cleanPath(path) : real;
    const QString inside = base.endsWith(QLatin1Char('/')) ? base : base + QLatin1Char('/');
    return leadsTo.startsWith(inside) ? leadsTo : QString();
}

} // namespace

QString keptPictureKey(int slot)
{
    return QStringLiteral("Picture%1").arg(slot + 1);
}

QString keptPictureName(const QString &settingsPath, int slot, const QByteArray &bmp)
{
    return QStringLiteral("%1-slot%2-%3.bmp")
        .arg(QFileInfo(settingsPath).completeBaseName())
        .arg(slot + 1)
        .arg(contentHash(bmp));
}

int tidyKeptFolder(const QString &settingsPath)
{
    const QString folder = settingsFolder(settingsPath);
    // Another instance holding the lock is saving right now: its temporaries
    // and fresh pictures are not litter.
    const FolderLock lock(folder, FolderLock::Kind::Exclusive, FolderLock::Wait::Try);
    if (!lock.held())
        return 0;
    return removeLeftoverTemporaries(folder) + removeUnnamedPictures(settingsPath);
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
    // A start that found no port saved an empty one: that is no choice, and
    // the next start picks as if nothing were kept.
    if (const QString port = file.readString(kSection, kPort, QString()); !port.isEmpty())
        choices.port = port;
    text(kPictureFolder, choices.pictureFolder);
    const QDir dir(settingsDir);
    for (int i = 0; i < kSlotCount; ++i) {
        const int pan = file.readInt(kSection, panKey(i), kPanHome);
        choices.pan[size_t(i)] = std::clamp(pan, kPanHome, kPanEnd);
        const QString name = file.readString(kSection, keptPictureKey(i), QString());
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
        file.writeString(kSection, keptPictureKey(i), pictureFiles[size_t(i)]);
        file.writeInt(kSection, panKey(i), choices.pan[size_t(i)]);
    }
}

bool copyStoredSettings(const QString &from, const QString &to)
{
    ProfileFile file;
    if (!file.load(from))
        return false;
    const QDir fromDir(settingsFolder(from)), toDir(settingsFolder(to));
    bool renamed = false;
    for (int i = 0; i < kSlotCount; ++i) {
        const QString name = file.readString(kSection, keptPictureKey(i), QString());
        if (name.isEmpty() || QFileInfo(name).isAbsolute())
            continue; // none, or it already says where it is
        const QString source = QFileInfo(fromDir.filePath(name)).absoluteFilePath();
        const QString target = toDir.filePath(name);
        QFile picture;
        bool copied = false;
        if (!name.contains(QLatin1Char('/'))
            && openRegularFile(picture, source).status == RegularFileOpen::Status::Opened
            && picture.size() <= kMaxCopiedPicture) {
            if (QFileInfo::exists(target))
                copied = true;
            else if (const std::optional<QByteArray> bytes = readAtMost(picture, kMaxCopiedPicture))
                copied = writeFileAtomically(target, *bytes);
        }
        if (!copied) {
            file.writeString(kSection, keptPictureKey(i), source);
            renamed = true;
        }
    }
    if (!renamed) {
        // Byte for byte, as the user left it.
        QFile settings;
        if (openRegularFile(settings, from).status != RegularFileOpen::Status::Opened)
            return false;
        const std::optional<QByteArray> bytes = readAtMost(settings, ProfileFile::kMaxFileBytes);
        return bytes && writeFileAtomically(to, *bytes);
    }
    return file.save(to);
}

void writeKeptSetup(ProfileFile &file, const BadgeSetup &setup)
{
    file.writeString(kSection, kModel, setup.model);
    file.writeString(kSection, kBrightness, setup.brightness);
}

StoredSettings loadStoredSettings(const QString &settingsPath, PictureNames names)
{
    // A save that is tidying the folder finishes first, so the pictures
    // the file names are still there when they are read.
    const FolderLock lock(settingsFolder(settingsPath), FolderLock::Kind::Shared, FolderLock::Wait::Block);
    ProfileFile file;
    file.load(settingsPath); // an unreadable file reads as empty: the defaults
    return storedSettingsFrom(file, QFileInfo(settingsPath).absolutePath(), names);
}

StoredSettings storedSettingsFrom(const ProfileFile &file, const QString &settingsDir, PictureNames names)
{
    StoredSettings stored;
    stored.setup = readSettings(file);
    stored.ports = readPortEntries(file);
    std::array<QString, kSlotCount> pictureFiles;
    readKeptSection(file, settingsDir, stored.setup, stored.window, pictureFiles);
    for (int i = 0; i < kSlotCount; ++i) {
        QString path = pictureFiles[size_t(i)];
        if (path.isEmpty())
            continue;
        if (names == PictureNames::InFileFolder) {
            const QString name = file.readString(kSection, keptPictureKey(i), QString());
            path = pictureInFolder(settingsDir, name);
            if (path.isEmpty()) {
                stored.pictureProblems.push_back(
                    {i, QDir::cleanPath(pictureFiles[size_t(i)]),
                     QStringLiteral("it is outside the folder of the file that names it, so it was not opened"), true});
                stored.window.pan[size_t(i)] = kPanHome;
                continue;
            }
        }
        QImage canvas = makeBlankCanvas();
        QString why;
        if (!loadPictureOntoCanvas(path, canvas, &why)) {
            stored.pictureProblems.push_back({i, path, why, false});
            stored.window.pan[size_t(i)] = kPanHome;
            stored.window.unreadPictures[size_t(i)] = file.readString(kSection, keptPictureKey(i), QString());
            continue;
        }
        stored.setup.slots[size_t(i)].picture = canvas;
    }
    return stored;
}

bool saveStoredSettings(const QString &settingsPath, const BadgeSetup &setup, const WindowChoices &choices,
                        QString *reason, std::vector<int> *unsaved)
{
    // Held from the first picture to the last removal: another window's
    // close waits, and its settings file never names what this one removes.
    const FolderLock lock(settingsFolder(settingsPath), FolderLock::Kind::Exclusive, FolderLock::Wait::Block);
    ProfileFile file;
    QString why;
    // Writing over a file we could not read would drop its other sections.
    bool ok = file.load(settingsPath, &why);

    QStringList problems;
    std::array<QString, kSlotCount> pictureFiles;
    const QDir dir(settingsFolder(settingsPath));
    for (int i = 0; i < kSlotCount; ++i) {
        const QImage &picture = setup.slots[size_t(i)].picture;
        if (isBlank(picture)) {
            pictureFiles[size_t(i)] = choices.unreadPictures[size_t(i)];
            continue;
        }
        const QByteArray bmp = canvasAsBmp(picture.convertToFormat(kCanvasFormat));
        const QString name = keptPictureName(settingsPath, i, bmp);
        QString failed;
        if (writeKeptPicture(dir.filePath(name), bmp, contentHash(bmp), &failed)) {
            pictureFiles[size_t(i)] = name;
            continue;
        }
        // The picture saved before stays named, and stays on disk.
        pictureFiles[size_t(i)] = ok ? file.readString(kSection, keptPictureKey(i), QString()) : QString();
        problems << QStringLiteral("%1: %2").arg(dir.filePath(name), failed);
        if (unsaved)
            unsaved->push_back(i);
    }

    if (ok) {
        writeSettings(file, setup);
        writeKeptSection(file, setup, choices, pictureFiles);
        ok = file.save(settingsPath, &why);
    }
    if (!ok)
        problems.prepend(QStringLiteral("%1: %2").arg(settingsPath, why));
    if (lock.held())
        removeUnnamedPictures(settingsPath);
    if (reason)
        *reason = problems.join(QLatin1Char('\n'));
    return ok;
}

} // namespace glintag
