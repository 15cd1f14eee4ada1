#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

// The whole file, or nothing if it cannot be opened.
inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Replaces the file with `bytes`; true only if all of them were written.
inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// What may stand at a path the user names but is no regular file: a FIFO, a
// folder, a device (a link to /dev/null) and a bound socket, named "fifo",
// "folder", "device" and "socket" in dir. Returns the socket's descriptor,
// for the test to close when it is done, or -1 when any could not be made.
inline int makeUnusualFiles(const QString &dir)
{
    const auto path = [&dir](const char *name) { return QFile::encodeName(QDir(dir).filePath(name)); };
    if (::mkfifo(path("fifo"), 0600) != 0 || !QDir(dir).mkdir("folder") || ::symlink("/dev/null", path("device")) != 0)
        return -1;
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path("socket").constData(), sizeof address.sun_path - 1);
    if (sock < 0 || ::bind(sock, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0)
        return -1;
    return sock;
}
