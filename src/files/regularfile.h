#pragma once

#include <QFile>
#include <QString>

namespace glintag {

// Opening files the user names (pictures, the settings file) without ever
// blocking: a FIFO, socket, device node or folder under that name is
// refused before it is opened, so nothing waits for a writer and no device
// sees an open. Not responsible for reading the content.
struct RegularFileOpen {
    enum class Status {
        Opened,
        Missing,
        Refused
    };
    Status status = Status::Missing;
    QString reason; // plain words for Missing and Refused
};

// Opens path read-only into file (which must not be open yet).
RegularFileOpen openRegularFile(QFile &file, const QString &path);

// The words for a name that is there but is no regular file.
QString notARegularFileReason(bool folder);

} // namespace glintag
