#include "files/atomicfile.h"

#include "files/regularfile.h"

#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
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

AtomicFile::AtomicFile(const QString &path) : m_file(path)
{
    // Writing straight into the target would leave a torn file behind when
    // the disk fills up; without a temporary beside it we give up.
    m_file.setDirectWriteFallback(false);
}

bool AtomicFile::open(Buffering buffering, QString *reason)
{
    const QString path = m_file.fileName();
    if (path.isEmpty())
        return fail(reason, QStringLiteral("No file name was given."));
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return fail(reason, notARegularFileReason(info.isDir()));
    if (info.exists() && !info.isWritable())
        return fail(reason, QStringLiteral("The file is read-only."));
    const QIODevice::OpenMode mode
        = buffering == Buffering::Unbuffered ? QIODevice::WriteOnly | QIODevice::Unbuffered : QIODevice::WriteOnly;
    if (!m_file.open(mode))
        return fail(reason, QStringLiteral("The file cannot be created: %1.").arg(m_file.errorString()));
    return true;
}

bool AtomicFile::commit(QString *reason)
{
    if (!m_file.isOpen())
        return fail(reason, notWrittenReason(m_file.errorString()));
    // The reason is where Qt left it: a write the system refused keeps it
    // until the commit clears it, while a refusal found when the buffer is
    // flushed says only "Unknown error" until the commit names it.
    if (writeFailed() || !m_file.flush()) {
        QString why = m_file.errorString();
        m_file.commit(); // refuses, and so throws the temporary away
        if (m_file.error() != QFileDevice::NoError)
            why = m_file.errorString();
        return fail(reason, notWrittenReason(why));
    }
#ifdef Q_OS_UNIX
    // Without this a power cut soon after the rename can leave an empty
    // file; QSaveFile syncs as well, but keeps quiet when that fails.
    if (::fsync(m_file.handle()) != 0) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        cancel();
        return fail(reason, notWrittenReason(why));
    }
#endif
    if (!m_file.commit())
        return fail(reason, notWrittenReason(m_file.errorString()));
    return true;
}

void AtomicFile::cancel()
{
    if (!m_file.isOpen())
        return;
    m_file.cancelWriting();
    m_file.commit(); // refuses, and so throws the temporary away
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
