#include "files/atomicfile.h"

#include "files/regularfile.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace glintag {

namespace {

bool fail(QString *reason, const QString &text)
{
    if (reason)
        *reason = text;
    return false;
}

QString notWrittenReason(const QString &why)
{
    return QStringLiteral("The file cannot be written: %1.").arg(why);
}

} // namespace

AtomicFile::AtomicFile(const QString &path) : m_target(path)
{}

AtomicFile::~AtomicFile()
{
    cancel();
}

bool AtomicFile::open(Buffering buffering, QString *reason)
{
    const QString path = m_target;
    if (path.isEmpty())
        return fail(reason, QStringLiteral("No file name was given."));
    QFileInfo info(path);
    // A link keeps pointing where it did: the file it leads to is replaced,
    // never the link itself.
    if (info.isSymLink()) {
        const QString target = info.canonicalFilePath();
        m_target = target.isEmpty() ? info.symLinkTarget() : target;
        info = QFileInfo(m_target);
    }
    if (info.exists() && !info.isFile())
        return fail(reason, notARegularFileReason(info.isDir()));
    if (info.exists() && !info.isWritable())
        return fail(reason, QStringLiteral("The file is read-only."));

    const QDir dir = info.absoluteDir();
    // Qt's own buffer, when a flush fails, reports "Unknown error" instead
    // of the system's reason; unbuffered, each refused write names it. The
    // writers here hand over whole rows or the whole file at a time.
    Q_UNUSED(buffering);
    const QIODevice::OpenMode mode = QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered;
    for (int attempt = 0; attempt < 100; ++attempt) {
        m_file.setFileName(dir.filePath(QString::fromLatin1(temporaryName())));
        if (m_file.open(mode)) {
            m_temporary = m_file.fileName();
            // The new file takes the old one's permissions, as an edit in
            // place would have kept them.
            if (info.exists())
                m_file.setPermissions(info.permissions());
            return true;
        }
        if (QFileInfo::exists(m_file.fileName()))
            continue; // taken: another save picked the same letters
        break;
    }
    return fail(reason, QStringLiteral("The file cannot be created: %1.").arg(m_file.errorString()));
}

bool AtomicFile::commit(QString *reason)
{
    if (!m_file.isOpen())
        return fail(reason, notWrittenReason(m_file.errorString()));
    // A write the system refused keeps its reason until the file is closed;
    // a refusal found only when the buffer is flushed names it there.
    if (writeFailed() || !m_file.flush()) {
        const QString why = m_file.errorString();
        cancel();
        return fail(reason, notWrittenReason(why));
    }
#ifdef Q_OS_UNIX
    // Without this a power cut soon after the rename can leave an empty file.
    if (::fsync(m_file.handle()) != 0) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        cancel();
        return fail(reason, notWrittenReason(why));
    }
    m_file.close();
    if (::rename(QFile::encodeName(m_temporary).constData(), QFile::encodeName(m_target).constData()) != 0) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        cancel();
        return fail(reason, notWrittenReason(why));
    }
    syncFolder(QFile::encodeName(QFileInfo(m_target).absolutePath()));
#else
    m_file.close();
    QFile::remove(m_target);
    if (!QFile::rename(m_temporary, m_target)) {
        const QString why = m_file.errorString();
        cancel();
        return fail(reason, notWrittenReason(why));
    }
#endif
    m_temporary.clear();
    return true;
}

void AtomicFile::cancel()
{
    if (m_file.isOpen())
        m_file.close();
    if (!m_temporary.isEmpty())
        QFile::remove(m_temporary);
    m_temporary.clear();
}

QByteArray temporaryName()
{
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray name(kTemporaryPrefix);
    for (int k = 0; k < 8; ++k)
        name += kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters) - 1)];
    return name;
}

void syncFolder(const QByteArray &folder)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(folder.constData(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(folder);
#endif
}

int removeLeftoverTemporaries(const QString &dir)
{
    int removed = 0;
    const QFileInfoList found = QDir(dir).entryInfoList({QLatin1String(kTemporaryPrefix) + QLatin1Char('*')},
                                                        QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    for (const QFileInfo &info : found) {
        if (info.isFile() && !info.isSymLink() && QFile::remove(info.absoluteFilePath()))
            ++removed;
    }
    return removed;
}

bool writeFileAtomically(const QString &path, const QByteArray &bytes, QString *reason)
{
    AtomicFile file(path);
    // Unbuffered: the bytes are written in one go, and a buffer would only
    // hold a second copy of them.
    if (!file.open(AtomicFile::Buffering::Unbuffered, reason))
        return false;
    // A write the system stops part way returns short without a reason;
    // only the next one fails and names it ("No space left on device").
    qsizetype done = 0;
    while (done < bytes.size()) {
        const qint64 n = file.device()->write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            break;
        done += n;
    }
    if (done < bytes.size() && !file.writeFailed()) { // stopped without a word: never commit a torn file
        file.cancel();
        return fail(reason, notWrittenReason(QStringLiteral("the system took only part of it")));
    }
    return file.commit(reason);
}

} // namespace glintag
