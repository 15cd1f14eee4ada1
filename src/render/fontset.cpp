#include "render/fontset.h"

#include <QDir>
#include <QFile>

#include <map>
#include <mutex>
#include <sys/stat.h>

namespace glintag {

struct FontSet::File {
    QString name;    // as asked for
    QString path;    // where it was found; empty when missing
    QByteArray data; // padded with zeros to the full table size
    // identity of what was read, to notice a replaced or edited file
    qint64 size = -1;
    qint64 mtimeNs = 0;
    quint64 inode = 0;
    quint64 device = 0;
};

namespace {

const std::uint8_t kBlank[kDoubleRecordBytes] = {};

struct Identity {
    bool exists = false;
    qint64 size = 0, mtimeNs = 0;
    quint64 inode = 0, device = 0;
};

Identity identityOf(const QString &path)
{
    Identity id;
    struct stat st;
    const QByteArray native = QFile::encodeName(path);
    if (::stat(native.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return id;
    id.exists = true;
    id.size = st.st_size;
#if defined(__APPLE__)
    id.mtimeNs = qint64(st.st_mtimespec.tv_sec) * 1000000000 + st.st_mtimespec.tv_nsec;
#elif defined(_WIN32)
    id.mtimeNs = qint64(st.st_mtime) * 1000000000;
#else
    id.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
#endif
    id.inode = st.st_ino;
    id.device = st.st_dev;
    return id;
}

std::shared_ptr<const FontSet::File> loadFile(const QString &name, const QStringList &folders, int fullSize)
{
    // Keyed by the name as asked for and the folders it may come from, so a
    // change of working folder finds the right file.
    static std::mutex mutex;
    static std::map<QString, std::shared_ptr<const FontSet::File>> cache;

    QString path;
    Identity id;
    for (const QString &folder : folders) {
        path = QDir(folder).absoluteFilePath(name);
        id = identityOf(path);
        if (id.exists)
            break;
    }
    if (!id.exists)
        path.clear();

    std::lock_guard<std::mutex> lock(mutex);
    auto &entry = cache[name + QLatin1Char('\n') + path];
    if (entry && entry->path == path && entry->size == (id.exists ? id.size : -1) && entry->mtimeNs == id.mtimeNs
        && entry->inode == id.inode && entry->device == id.device)
        return entry;

    auto file = std::make_shared<FontSet::File>();
    file->name = name;
    file->path = path;
    if (id.exists) {
        QFile f(path);
        if (f.open(QIODevice::ReadOnly))
            file->data = f.read(fullSize);
        file->size = id.size;
        file->mtimeNs = id.mtimeNs;
        file->inode = id.inode;
        file->device = id.device;
    }
    if (file->data.size() < fullSize)
        file->data.append(QByteArray(fullSize - file->data.size(), '\0'));
    entry = file;
    return entry;
}

} // namespace

QStringList fontFolders(const QString &programDir)
{
    QStringList folders{QDir::currentPath()};
    if (!programDir.isEmpty()) {
        const QString program = QDir(programDir).absolutePath();
        if (program != folders.front())
            folders << program;
        // An installed program lies in <prefix>/bin and its data in <prefix>/share.
        folders << QDir::cleanPath(QDir(programDir).absoluteFilePath(QLatin1String(kInstalledDataFolder)));
    }
    return folders;
}

int doubleRecordOffset(std::uint16_t code)
{
    const int lead = code >> 8;
    const int trail = code & 0xFF;
    if (lead < 0x81 || lead > 0xFE || trail < 0x40 || trail > 0xFE)
        return -1;
    return kDoubleRecordBytes * ((lead - 0x81) * kDoubleTrailCount + (trail - 0x40));
}

QString doubleByteFontName(int uiLanguage)
{
    switch (uiLanguage) {
    case 1:
        return QStringLiteral("TwK12");
    case 2:
        return QStringLiteral("JpK12");
    case 3:
        return QStringLiteral("KrK12");
    default:
        return QStringLiteral("HzK12");
    }
}

FontSet::FontSet(int uiLanguage, const QString &programDir) : m_folders(fontFolders(programDir))
{
    const QString upright = doubleByteFontName(uiLanguage);
    m_ascii = loadFile(asciiFontName(), m_folders, kAsciiFileBytes);
    m_upright = loadFile(upright, m_folders, kDoubleFileBytes);
    m_vertical = loadFile(upright + QLatin1Char('V'), m_folders, kDoubleFileBytes);
}

FontSet::~FontSet() = default;
FontSet::FontSet(FontSet &&) noexcept = default;

const std::uint8_t *FontSet::asciiGlyph(std::uint8_t code) const
{
    return reinterpret_cast<const std::uint8_t *>(m_ascii->data.constData()) + asciiRecordOffset(code);
}

const std::uint8_t *FontSet::doubleGlyph(std::uint16_t code, bool vertical) const
{
    const int offset = doubleRecordOffset(code);
    if (offset < 0)
        return kBlank;
    const File &f = vertical ? *m_vertical : *m_upright;
    return reinterpret_cast<const std::uint8_t *>(f.data.constData()) + offset;
}

QString FontSet::asciiPath() const
{
    return m_ascii->path;
}
QString FontSet::uprightPath() const
{
    return m_upright->path;
}
QString FontSet::verticalPath() const
{
    return m_vertical->path;
}

QStringList FontSet::missingFiles() const
{
    QStringList missing;
    for (const auto &file : {m_ascii, m_upright, m_vertical})
        if (file->path.isEmpty())
            missing << file->name;
    return missing;
}

} // namespace glintag
