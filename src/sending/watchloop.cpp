#include "sending/watchloop.h"

#include "render/messagebuilder.h"
#include "sending/timefields.h"

#include <algorithm>

namespace glintag {

WatchLoop::WatchLoop(const QStringList &ports, SetupMaker maker, const QString &programDir,
                     MultiSend::PortMaker portMaker, QObject *parent) :
    QObject(parent),
    m_ports(ports), m_maker(std::move(maker)), m_programDir(programDir), m_send(std::move(portMaker)),
    m_wallClock([] { return QDateTime::currentDateTime(); }), m_current(std::make_unique<UploadSnapshot>())
{
    m_every.setInterval(kWatchEverySeconds * 1000);
    m_retry.setInterval(kWatchRetrySeconds * 1000);
    m_retry.setSingleShot(true);
    connect(&m_every, &QTimer::timeout, this, &WatchLoop::check);
    connect(&m_retry, &QTimer::timeout, this, [this] {
        if (m_mapSource && !m_send.isRunning())
            m_send.setPortMap(m_mapSource());
        maybeSend(true);
    });
    connect(&m_send, &MultiSend::finished, this, &WatchLoop::onSent);
    connect(&m_runner, &CommandRunner::finished, this, &WatchLoop::onCommand);
}

WatchLoop::~WatchLoop()
{
    m_send.disconnect(this);
}

void WatchLoop::setInterval(qint64 ms)
{
    m_every.setInterval(int(ms));
}

void WatchLoop::watchTexts(const QStringList &texts)
{
    m_source = Source::Texts;
    m_templates = texts;
}

void WatchLoop::watchCommand(const QString &command)
{
    m_source = Source::Command;
    m_command = command;
    // The command's lines are the only messages: every slot is theirs.
    m_taken = 0;
}

void WatchLoop::watchInput(int taken)
{
    m_source = Source::Input;
    m_taken = taken;
    m_group = SlotLines(taken);
}

void WatchLoop::start()
{
    m_stopping = false;
    if (m_source == Source::Input)
        return;
    check();
    m_every.start();
}

void WatchLoop::check()
{
    if (m_stopping)
        return;
    switch (m_source) {
    case Source::Texts: {
        const QDateTime now = m_wallClock();
        QStringList texts;
        texts.reserve(m_templates.size());
        for (const QString &t : std::as_const(m_templates))
            texts << expandTimeFields(t, now);
        consider(texts);
        return;
    }
    case Source::Command:
        // A run still going is left to its timeout.
        m_runner.start(m_command);
        return;
    case Source::Input:
        return;
    }
}

void WatchLoop::onCommand(const CommandResult &result)
{
    if (!result.ok()) {
        // A command that keeps failing the same way is told of once.
        if (!m_commandFailure || !result.sameFailure(*m_commandFailure))
            Q_EMIT notice({WatchNotice::Kind::CommandFailed, 0, result});
        m_commandFailure = result;
        return;
    }
    m_commandFailure.reset();
    SlotLines lines(m_taken);
    lines.addLines(result.output);
    if (lines.isEmpty()) {
        // Nothing printed is no content: what the badge shows stays.
        if (m_lastTexts != QStringList())
            Q_EMIT notice({WatchNotice::Kind::NoContent});
        m_lastTexts = QStringList();
        return;
    }
    takeLines(lines);
}

void WatchLoop::takeLines(const SlotLines &lines)
{
    if (lines.dropped() != m_lastDropped && lines.dropped() > 0)
        Q_EMIT notice({WatchNotice::Kind::LinesDropped, lines.dropped()});
    m_lastDropped = lines.dropped();
    const qint64 cut = lines.cut().size();
    if (cut != m_lastCut && cut > 0)
        Q_EMIT notice({WatchNotice::Kind::TextsCut, cut});
    m_lastCut = cut;
    consider(lines.texts());
}

void WatchLoop::feedInput(QByteArrayView bytes)
{
    while (!bytes.isEmpty()) {
        const qsizetype end = bytes.indexOf('\n');
        const QByteArrayView piece = end < 0 ? bytes : bytes.first(end);
        if (m_lineBytes == 0 && !piece.isEmpty())
            m_lineIsCr = piece.size() == 1 && piece[0] == '\r';
        else if (!piece.isEmpty())
            m_lineIsCr = false;
        m_lineBytes += piece.size();
        m_groupBytes += piece.size() + (end < 0 ? 0 : 1);
        if (!m_skipping && m_groupBytes > kSlotSourceByteLimit) {
            // Told once; the group is skipped to its empty line.
            m_skipping = true;
            m_group = SlotLines(m_taken);
            m_line = QByteArray();
            Q_EMIT notice({WatchNotice::Kind::GroupTooLong, kSlotSourceByteLimit});
        } else if (!m_skipping && !m_group.full()) {
            m_line += piece;
        }
        if (end < 0)
            return;
        bytes = bytes.sliced(end + 1);
        endInputLine();
    }
}

void WatchLoop::endInputLine()
{
    const bool blank = m_lineBytes == 0 || (m_lineBytes == 1 && m_lineIsCr);
    m_lineBytes = 0;
    m_lineIsCr = false;
    if (!blank) {
        if (!m_skipping)
            m_group.addLine(m_line);
        m_line.clear();
        return;
    }
    m_groupBytes = 0;
    if (std::exchange(m_skipping, false))
        return;
    if (m_group.isEmpty())
        return;
    const SlotLines group = std::exchange(m_group, SlotLines(m_taken));
    ++m_groups;
    takeLines(group);
}

void WatchLoop::endInput()
{
    if (m_lineBytes > 0)
        endInputLine();
    endInputLine();
}

void WatchLoop::consider(const QStringList &texts)
{
    if (m_stopping || (m_lastTexts && *m_lastTexts == texts))
        return;
    m_lastTexts = texts;
    QString why;
    const auto setup = m_maker(texts, &why);
    if (!setup) {
        Q_EMIT notice({WatchNotice::Kind::SetupRefused, 0, {}, why});
        return;
    }
    auto next = std::make_unique<UploadSnapshot>();
    next->setup = *setup;
    next->rendering = renderSetup(*setup, m_programDir);
    if (rendersNothing(*next)) {
        Q_EMIT notice({WatchNotice::Kind::NothingToSend});
        return;
    }
    // What waited for a running upload and never went out is simply
    // replaced: only the newest content is worth sending.
    m_current = std::move(next);
    m_currentStream = uploadStream(*m_current);
    maybeSend(false);
}

void WatchLoop::maybeSend(bool retrying)
{
    if (m_stopping || m_send.isRunning() || m_currentStream.isEmpty())
        return;
    QStringList due;
    for (const QString &port : std::as_const(m_ports))
        if (m_sentTo.value(port) != m_currentStream && (retrying || !m_lost.contains(port)))
            due << port;
    if (due.isEmpty())
        return;
    m_upload = WatchUpload();
    m_upload.at = m_wallClock();
    m_upload.bytes = m_currentStream.size();
    m_sendingStream = m_currentStream;
    const int started = m_send.start(*m_current, due);
    if (started == 0) {
        onSent();
        return;
    }
    QStringList opened;
    bool back = false;
    for (const PortResult &r : m_send.results())
        if (r.outcome.end == SendEnd::Uploaded)
            opened << r.port, back = back || m_lost.contains(r.port);
    m_upload.reason = back ? WatchReason::PortBack : (m_uploads == 0 ? WatchReason::First : WatchReason::Changed);
    ++m_uploads;
    Q_EMIT uploadStarted(m_upload.reason, m_upload.bytes, opened);
}

void WatchLoop::onSent()
{
    bool anyUploaded = false;
    QList<WatchNotice> lostNow;
    for (const PortResult &r : m_send.results()) {
        const SendOutcome &o = r.outcome;
        if (o.end == SendEnd::Uploaded) {
            anyUploaded = true;
            m_upload.durationMs = std::max(m_upload.durationMs, o.upload.elapsedMs);
        }
        if (o.end == SendEnd::Uploaded && o.upload.cancelled)
            continue;
        if (fullySent(o)) {
            m_sentTo.insert(r.port, m_sendingStream);
            if (m_lost.remove(r.port))
                Q_EMIT notice({WatchNotice::Kind::PortBack, 0, {}, {}, r.port});
            continue;
        }
        m_sentTo.remove(r.port);
        if (!m_lost.contains(r.port)) {
            m_lost.insert(r.port);
            lostNow.append({WatchNotice::Kind::PortLost, 0, {}, {}, r.port, o, double(m_retry.interval()) / 1000.0});
        }
    }
    m_upload.results = m_send.results();
    // A stopped upload is told by whoever stopped it. A port lost on the
    // way is told of after the upload's own line.
    if (anyUploaded && !m_stopping)
        Q_EMIT uploadFinished(m_upload);
    for (const WatchNotice &lost : std::as_const(lostNow))
        Q_EMIT notice(lost);
    if (m_stopping)
        return;
    if (!m_lost.isEmpty() && !m_retry.isActive())
        m_retry.start();
    maybeSend(false);
}

void WatchLoop::stop()
{
    m_stopping = true;
    m_every.stop();
    m_retry.stop();
    m_runner.stop();
    m_send.cancel();
}

} // namespace glintag
