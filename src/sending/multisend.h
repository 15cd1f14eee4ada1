#pragma once

#include "sending/sendjob.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace glintag {

// One port's part in a send to several badges: the port as the user named
// it, and how its send ended.
struct PortResult {
    QString port;
    SendOutcome outcome;
};

// True when the port took the whole stream.
bool fullySent(const SendOutcome &outcome);

// The same rendering to several ports at once, one SendJob each: every port
// is opened, uploaded to on the event loop side by side and closed on its
// own, so a badge that is pulled out ends only its own upload.
class MultiSend : public QObject {
    Q_OBJECT
public:
    // Makes the port a job sends through; null, or a maker that returns
    // null: the machine's serial ports, through the port map.
    using PortMaker = std::function<std::shared_ptr<SerialPort>(const QString &port)>;

    explicit MultiSend(PortMaker maker = {}, QObject *parent = nullptr);
    ~MultiSend() override;

    void setPortMap(const PortMap &map);
    void setClock(Uploader::Clock clock);
    void setStallLimit(qint64 ms);

    bool isRunning() const { return m_running > 0; }

    // Starts sending the snapshot to each port; returns how many started.
    // Those refused have their results at once; finished() follows when the
    // last started port has closed (never when none started).
    int start(const UploadSnapshot &snapshot, const QStringList &ports,
              SendJob::PortNaming naming = SendJob::PortNaming::NamesOrPaths);

    // Stops every running upload; finished() comes before this returns.
    void cancel();

    // One per port of the last start(), in its order.
    const QList<PortResult> &results() const { return m_results; }

Q_SIGNALS:
    // While port `index` of the last start() drains.
    void status(int index, const glintag::UploadProgress &progress);
    // Port `index` has closed; its result is in results().
    void portFinished(int index);
    void finished();

private:
    SendJob &jobFor(const QString &port);

    PortMaker m_maker;
    PortMap m_map;
    bool m_haveMap = false;
    Uploader::Clock m_clock;
    qint64 m_stallLimitMs = -1;       // -1: the jobs' own
    QHash<QString, SendJob *> m_jobs; // children, kept across sends
    QList<PortResult> m_results;
    int m_running = 0;
};

} // namespace glintag
