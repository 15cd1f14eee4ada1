#pragma once

#include "badge/alternate.h"
#include "badge/dotbuffer.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

namespace glintag {

constexpr int kUploadHeaderSize = 95;
constexpr int kRowLimit = 512;            // bytes of one dot row across all slots
inline constexpr char kPreamble[] = "HellD";
constexpr int kPreambleSize = 5;

// One slot's controls as the upload reads them.
struct SlotOptions {
    QString speed = QStringLiteral("1");   // text of the speed box
    int flash = 0;                         // check box value
    int border = 0;                        // check box value of the loop lamp
    int modeIndex = 0;                     // list index of the mode box, -1 for none
};

// Everything of the window that goes into the header besides RowBytes.
struct UploadOptions {
    std::array<SlotOptions, kSlotCount> slotOptions{};
    QString brightness = QStringLiteral("4");
    AlternateGroup alternate;
};

struct BadgeSetup;

// What the header takes from a setup besides the rendered lengths.
UploadOptions uploadOptions(const BadgeSetup &setup);

// A copy of what is to be sent, taken right after the last rendering, so that
// edits made while the upload waits on the line never reach the wire.
struct UploadSnapshot {
    DotBuffer dots;
    RowBytes rowBytes{};
    UploadOptions options;
};

// The numeric value of a text the way the old dialogs read numbers: leading
// blanks skipped, an optional sign, then digits; no digits gives 0. Values
// beyond a few billion saturate.
qint64 numericValue(const QString &text);

// The badge's code for a mode list index: Pile Up is 6 and Animation 5,
// swapped against the list order; no selection gives 0.
std::uint8_t moveModeCode(int listIndex);

// (speed - 1) * 16 + flash * 8 + loop lamp * 128, kept only when it fits a
// byte (otherwise 0), plus the move mode code.
std::uint8_t slotOptionByte(const SlotOptions &slot);

// The two low bits of 4 - brightness value: "4" -> 0, "1" -> 3, "5" -> 3.
std::uint8_t brightnessByte(const QString &text);

// Lengths lowered so that all runs fit one 512-byte row, slot 0 first.
RowBytes clampRowBytes(const RowBytes &rendered);

// The 95-byte header; `clamped` receives the lengths the packets must use.
QByteArray buildUploadHeader(const UploadOptions &options, const RowBytes &rendered,
                             RowBytes &clamped);

// Row `row` (0..11) of every slot with a clamped length, concatenated.
QByteArray buildRowPacket(const DotBuffer &dots, const RowBytes &clamped, int row);

// The whole stream: "HellD", the header and twelve packets.
QByteArray uploadStream(const UploadSnapshot &snapshot);

} // namespace glintag
