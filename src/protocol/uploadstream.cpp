#include "protocol/uploadstream.h"

#include <algorithm>

namespace glintag {

namespace {

void putWord(QByteArray &block, int at, int value)
{
    block[at] = char((value >> 8) & 0xFF);
    block[at + 1] = char(value & 0xFF);
}

} // namespace

qint64 numericValue(const QString &text)
{
    constexpr qint64 kCap = Q_INT64_C(1000000000000);
    int i = 0;
    while (i < text.size()
           && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t') || text[i] == QLatin1Char('\n')
               || text[i] == QLatin1Char('\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    qint64 value = 0;
    // Only ASCII digits count: other scripts' digits are not numbers here.
    while (i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9')) {
        value = std::min(kCap, value * 10 + (text[i].unicode() - '0'));
        ++i;
    }
    return negative ? -value : value;
}

std::uint8_t slotOptionByte(const SlotSetup &slot)
{
    const qint64 wide = (numericValue(slot.speed) - 1) * 16 + (slot.flash ? 8 : 0) + (slot.border ? 128 : 0);
    const int base = (wide >= 0 && wide <= 255) ? int(wide) : 0;
    // The base is a multiple of 8, so the mode's code never carries into it.
    const std::optional<MoveMode> mode = moveModeAt(slot.mode);
    return std::uint8_t(base + (mode ? moveModeFacts(*mode).wireCode : 0));
}

std::uint8_t brightnessByte(const QString &text)
{
    return std::uint8_t((4 - numericValue(text)) & 3);
}

QByteArray buildUploadHeader(const BadgeSetup &setup, const Rendering &rendering)
{
    const RowBytes &sent = rendering.sent;
    QByteArray header(kUploadHeaderSize, '\0');
    header[1] = char(std::max(0, int(rendering.rendered[0])) / 6);
    header[2] = char(brightnessByte(setup.brightness));
    const AlternateGroup alternate = setup.alternateGroup();
    if (alternate.count >= 2) {
        header[3] = char(alternate.first);
        header[4] = char(alternate.count);
    }
    for (int i = 7; i <= 14; ++i)
        header[i] = char(0xFF);

    int offset = 0;
    for (int i = 0; i < kSlotCount; ++i) {
        header[15 + i] = char(slotOptionByte(setup.slots[size_t(i)]));
        putWord(header, 31 + 4 * i, offset);
        putWord(header, 33 + 4 * i, sent[size_t(i)]);
        offset += sent[size_t(i)];
    }
    putWord(header, 5, offset);
    return header;
}

QByteArray buildRowPacket(const DotBuffer &dots, const RowBytes &sent, int row)
{
    QByteArray packet;
    if (row < 0 || row >= kRowCount)
        return packet;
    packet.reserve(kRowLimit);
    for (int j = 0; j < kSlotCount; ++j) {
        const int length = std::clamp(int(sent[j]), 0, kRowByteCount);
        if (length > 0)
            packet.append(reinterpret_cast<const char *>(dots.row(j, row)), length);
    }
    return packet;
}

QByteArray uploadStream(const UploadSnapshot &snapshot)
{
    const Rendering &r = snapshot.rendering;
    QByteArray stream(kPreamble, kPreambleSize);
    stream += buildUploadHeader(snapshot.setup, r);
    for (int row = 0; row < kRowCount; ++row)
        stream += buildRowPacket(r.dots, r.sent, row);
    return stream;
}

} // namespace glintag
