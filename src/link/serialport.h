#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace glintag {

// Line parameters in the "1200,n,8,1" form: baud, parity letter, data bits,
// stop bits ("1", "1.5" or "2").
struct LineSettings {
    int baud = 1200;
    char parity = 'n'; // one of n, e, o, m, s
    int dataBits = 8;  // 5..8
    QString stopBits = QStringLiteral("1");

    friend bool operator==(const LineSettings &a, const LineSettings &b)
    {
        return a.baud == b.baud && a.parity == b.parity && a.dataBits == b.dataBits && a.stopBits == b.stopBits;
    }
};

// Parses "baud,parity,data,stop"; blanks around the fields are allowed, the
// parity letter in either case. Anything else yields no value.
std::optional<LineSettings> parseLineSettings(const QString &text);

// The serial line as the upload and the port probe use it: a number to pick
// the device, line settings, open and close, DTR, queued writes and the
// count still queued. Everything is called from the event loop's thread;
// nothing is ever read from the port, the badge never answers.
class SerialPort {
public:
    virtual ~SerialPort() = default;

    // 1..32 for "COM1".."COM32"; takes effect at the next open.
    virtual void setPortNumber(int n) = 0;
    virtual int portNumber() const = 0;
    // False (and nothing changed) when the text is not a valid line setting.
    virtual bool setSettings(const QString &settings) = 0;

    // False when the device is missing, busy or refused; errorText() and
    // permissionDenied() then tell why.
    virtual bool open() = 0;
    virtual QString errorText() const = 0;
    virtual bool permissionDenied() const = 0;
    virtual bool isOpen() const = 0;
    // Does nothing when the port is closed. Bytes still queued are dropped
    // rather than waited for.
    virtual void close() = 0;

    // False when the device has no modem lines (a pseudo-terminal, say); the
    // caller simply goes on.
    virtual bool setDtr(bool on) = 0;

    // Queues the bytes behind those already waiting and returns at once.
    virtual bool write(const QByteArray &bytes) = 0;
    // Bytes queued but not yet on the line: -1 when that cannot be told, the
    // port is closed, or the line has been lost (adapter pulled out).
    virtual qint64 bytesWaiting() = 0;

    // The device behind the current port number, for messages.
    virtual QString devicePath() const = 0;
};

} // namespace glintag
