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
    int secondsLeft = 0; // at the line rate, rounded up
};

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
