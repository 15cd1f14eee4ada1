#pragma once

#include "badge/slotlines.h"
#include "sending/commandrunner.h"
#include "sending/multisend.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

namespace glintag {

// How often watch looks at its content unless told otherwise.
constexpr int kWatchEverySeconds = 5;
// How often a port that went away is tried again.
constexpr int kWatchRetrySeconds = 3;

// Why an upload went out.
enum class WatchReason {
    First,
    Changed,
    PortBack
};

// Something the user should know of while the watch goes on; values only,
// worded by whoever shows them.
struct WatchNotice {
    enum class Kind {
        CommandFailed, // command: how the run failed; the last content stays
        LinesDropped,  // count: lines after the last free slot, not sent
        TextsCut,      // count: texts cut to the text limit
        GroupTooLong,  // an input group over the read bound, skipped whole
        NoContent,     // the command printed no line; nothing is sent
        SetupRefused,  // why: the maker's own words; the last content stays
        NothingToSend, // the selected slots render to nothing
        PortLost,      // port, outcome, retrySeconds
        PortBack,      // port
    };
    Kind kind;
    qint64 count = 0;
    CommandResult command = {};
    QString why = {};
    QString port = {};
    SendOutcome outcome = {};
    double retrySeconds = 0;
};

// One upload the watch made, for its log line.
struct WatchUpload {
    QDateTime at; // when it started, by the wall clock
    WatchReason reason = WatchReason::First;
    qint64 bytes = 0;      // the stream
    qint64 durationMs = 0; // the slowest port's
    QList<PortResult> results;
};

// Keeps badges showing content that changes: it looks at the content (the
// texts with their time fields, a command's output, or groups of lines from
// an input), renders it, and sends only when the byte stream differs from
// what each port last took. An upload is never started while one runs: the
// newest content waits for it, and what came in between is dropped. A port
// that cannot be opened or goes away is tried again every few seconds. It
// knows nothing of options or printing; it reports through its signals.
//
// Lines from a command or an input take the slots through SlotLines: what
// comes after the last free slot is counted, not kept, and a group of input
// lines longer than kSlotSourceByteLimit is skipped to its end, so memory
// stays bounded whatever arrives.
class WatchLoop : public QObject {
    Q_OBJECT
public:
    using WallClock = std::function<QDateTime()>;
    // The setup for one set of slot texts (at most the free slots); nothing,
    // with *why set, when they cannot make one.
    using SetupMaker = std::function<std::optional<BadgeSetup>(const QStringList &texts, QString *why)>;

    WatchLoop(const QStringList &ports, SetupMaker maker, const QString &programDir,
              MultiSend::PortMaker portMaker = {}, QObject *parent = nullptr);
    ~WatchLoop() override;

    MultiSend &sender() { return m_send; }
    CommandRunner &runner() { return m_runner; }
    void setWallClock(WallClock clock) { m_wallClock = std::move(clock); }
    void setInterval(qint64 ms);
    void setRetryInterval(qint64 ms) { m_retry.setInterval(int(ms)); }
    // Asked again before each retry of a lost port, so that a badge plugged
    // back in as another device is found under its port name.
    void setPortMapSource(std::function<PortMap()> source) { m_mapSource = std::move(source); }

    // Where the content comes from: texts that may hold time fields, a
    // command whose output lines are the slots, or input lines fed in, a
    // group of slots ending with an empty line. `taken`: slots the input
    // lines may not have (pictures or texts given beside them).
    void watchTexts(const QStringList &texts);
    void watchCommand(const QString &command);
    void watchInput(int taken = 0);

    // The first look, then one at each interval (input: as it arrives).
    void start();
    // One look at the content now; the timer calls it too.
    void check();
    // Lines as they arrive; endInput() ends a group left open.
    void feedInput(QByteArrayView bytes);
    void endInput();

    // Stops looking and ends a running upload; the ports are closed when it
    // returns. The results of the stopped upload stay in sender().
    void stop();

    bool isSending() const { return m_send.isRunning(); }
    int uploads() const { return m_uploads; }
    // Groups of input lines seen whole so far.
    int groups() const { return m_groups; }

Q_SIGNALS:
    void uploadStarted(glintag::WatchReason reason, qint64 bytes, const QStringList &ports);
    void uploadFinished(const glintag::WatchUpload &upload);
    // Something the user should know of; the watch goes on.
    void notice(const glintag::WatchNotice &notice);

private:
    enum class Source {
        Texts,
        Command,
        Input
    };
    void takeLines(const SlotLines &lines);
    void consider(const QStringList &texts);
    void maybeSend(bool retrying);
    void onSent();
    void onCommand(const CommandResult &result);
    void endInputLine();

    QStringList m_ports;
    SetupMaker m_maker;
    QString m_programDir;
    MultiSend m_send;
    CommandRunner m_runner;
    WallClock m_wallClock;
    std::function<PortMap()> m_mapSource;
    QTimer m_every, m_retry;
    Source m_source = Source::Texts;
    QStringList m_templates;
    QString m_command;
    int m_taken = 0;
    std::optional<CommandResult> m_commandFailure; // how the last run failed, until one succeeds
    qint64 m_lastDropped = 0, m_lastCut = 0;       // told when they change

    // The input group being read: its lines so far, the line being read
    // (only while it can still take a slot), and the bytes the group has
    // brought, which the read bound counts.
    SlotLines m_group;
    QByteArray m_line;
    qint64 m_lineBytes = 0;
    bool m_lineIsCr = false;
    qint64 m_groupBytes = 0;
    bool m_skipping = false;
    int m_groups = 0;

    std::optional<QStringList> m_lastTexts; // the last texts looked at
    std::unique_ptr<UploadSnapshot> m_current;
    QByteArray m_currentStream;          // empty until there is content
    QHash<QString, QByteArray> m_sentTo; // what each port last took whole
    QSet<QString> m_lost;                // ports being tried again
    QByteArray m_sendingStream;          // what the running upload sends
    WatchUpload m_upload;
    bool m_stopping = false;
    int m_uploads = 0;
};

} // namespace glintag
