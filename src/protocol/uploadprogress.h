#pragma once

#include <QString>

namespace glintag {

// 1200 baud with a start and a stop bit around 8 data bits: 10 bit times a
// byte.
constexpr int kLineBytesPerSecond = 120;

// How far an upload has got. The driver's queue count is the only word we
// have from the line, so "sent" means "left the port": what the badge made
// of it nobody can tell, the link being one-way.
struct UploadProgress {
    qint64 total = 0; // preamble, header and the twelve packets
    qint64 sent = 0;
    int secondsLeft = 0;  // at the line rate, rounded up
    int quietSeconds = 0; // while sending: how long the line has taken nothing, once past kQuietHintMs
};

// How long the driver's count may stand still before the status line stops
// counting down and says the line is not moving. At 1200 baud a moving line
// takes a byte every 8 ms, so two seconds is no hiccup.
constexpr qint64 kQuietHintMs = 2000;

// The most bytes a line at `bytesPerSecond` can have carried in `elapsedMs`:
// a driver (or an adapter's buffer) that reports its queue empty sooner has
// only handed the bytes on, not sent them.
qint64 lineFloor(qint64 elapsedMs, int bytesPerSecond = kLineBytesPerSecond);

// From the bytes handed to the port so far and the count still waiting in
// its queue; sent stays within 0..total. An unreadable count is no count:
// the caller keeps its last figure instead of asking.
UploadProgress uploadProgress(qint64 total, qint64 queued, qint64 waiting, int bytesPerSecond = kLineBytesPerSecond);

// How an upload ended, in the order the status line prefers them: a stop by
// the user says more than the failures it may have cut short.
enum class UploadEnd {
    Sent,
    Stopped,
    Stalled,
    LineLost,
    WritesRefused
};

struct UploadStatus {
    bool running = false;
    UploadEnd end = UploadEnd::Sent;
    UploadProgress progress;
    qint64 elapsedMs = 0; // from the first byte queued to the end
};

// The status line's text in an interface language (languageBox position).
QString uploadStatusText(const UploadStatus &status, int uiLanguage);

} // namespace glintag
