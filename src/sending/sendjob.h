#pragma once

#include "badge/badgesetup.h"
#include "link/portmap.h"
#include "link/uploader.h"
#include "protocol/uploadstream.h"

#include <QObject>
#include <QString>

#include <memory>

namespace glintag {

class QtSerialPort;
class SerialPort;
struct StatusTexts;

// What to do about a device the user may not open, as one clause in the
// language of `texts`: the device's owner, group and mode, and joining the
// group only where the group may write to it; without a device (or one
// that cannot be looked at) the usual advice for serial adapters.
QString permissionAdvice(const StatusTexts &texts, const QString &device);

// True when the selected slots of the snapshot render to nothing.
bool rendersNothing(const UploadSnapshot &snapshot);

// How a send ended, or why it never started.
enum class SendEnd {
    Uploaded,      // the upload ran; SendOutcome::upload says how far it got
    Busy,          // another upload is running
    NothingToSend, // the selected slots render to nothing
    BadPortName,   // neither "COM1".."COM32" nor, where allowed, a device path
    CannotOpen,    // the device is missing, busy or refused
    OpenFailed,    // the port said it opened but is not open
};

struct SendOutcome {
    SendEnd end = SendEnd::Uploaded;
    QString portName;              // "COMn"; empty when the device was named by its path
    QString device;                // the device behind it, empty when there is none
    QString openError;             // CannotOpen: the system's reason
    bool permissionDenied = false; // CannotOpen: the user may not open the device
    UploadOutcome upload;          // Uploaded
};

// One send, the same for the window and the command line: render the setup
// once, refuse when there is nothing to send, look the port up in the port
// map, open it, set DTR, upload from the event loop, close it. Refusals come
// back from prepare() and start() at once; an upload that started ends with
// finished().
class SendJob : public QObject {
    Q_OBJECT
public:
    enum class PortNaming {
        NamesOnly,    // "COM1".."COM32", as the window's port box
        NamesOrPaths, // also a device path ("/dev/ttyUSB0"), which stands in for COM1
    };

    // Sends through `port`; null: the machine's serial ports, through the
    // port map.
    explicit SendJob(std::shared_ptr<SerialPort> port = nullptr, QObject *parent = nullptr);
    ~SendJob() override;

    // The port the job opens: the window's start-up probe and port list use
    // it too, between uploads.
    SerialPort &port() const { return *m_port; }
    void setPortMap(const PortMap &map);
    const PortMap &portMap() const { return m_map; }

    void setClock(Uploader::Clock clock);
    void setStallLimit(qint64 ms);

    // While an upload runs the port is open and the job takes no other.
    bool isRunning() const { return m_uploader.isRunning(); }

    // Renders the setup once, into the copy start() sends, so edits made
    // while an upload waits on the line never reach the wire. False with
    // outcome() saying why (Busy, NothingToSend) when there is nothing to
    // start; the rendering is there even then.
    bool prepare(const BadgeSetup &setup, const QString &programDir);
    const UploadSnapshot &snapshot() const { return *m_snapshot; }

    // Takes a rendering another job made, so that several ports get one
    // rendering and the same bytes. False (Busy) while an upload runs.
    bool adopt(const UploadSnapshot &snapshot);

    // Opens the port that `port` names and starts uploading what prepare()
    // rendered. False with outcome() saying why when the port is refused;
    // otherwise finished() follows from the event loop.
    bool start(const QString &port, PortNaming naming = PortNaming::NamesOnly);

    // Ends a running upload at once and closes the port; finished() comes
    // before this returns. Nothing when no upload runs.
    void cancel();

    // What is known of the running or finished send, or why the last
    // prepare() or start() refused (a Busy refusal changes only `end`).
    const SendOutcome &outcome() const { return m_outcome; }

Q_SIGNALS:
    // r + 1 before row r goes out, and 0 at the end.
    void rowProgress(int value);
    // While the line drains: the bytes that have left the port.
    void status(const glintag::UploadProgress &progress);
    // The port is closed again.
    void finished(const glintag::SendOutcome &outcome);

private:
    bool refuse(SendEnd end);
    void onUploaded(const UploadOutcome &upload);

    std::shared_ptr<SerialPort> m_port;
    QtSerialPort *m_machinePort = nullptr; // the port, when it follows the map
    PortMap m_map;
    Uploader m_uploader;
    std::unique_ptr<UploadSnapshot> m_snapshot;
    SendOutcome m_outcome;
};

} // namespace glintag
