#include "protocol/uploadstream.h"

#include "badge/badgesetup.h"

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
    while (i < text.size() && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')
                               || text[i] == QLatin1Char('\n') || text[i] == QLatin1Char('\r')))
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

std::uint8_t moveModeCode(int listIndex)
{
    static constexpr std::uint8_t codes[] = {0, 1, 2, 3, 4, 6, 7, 5};
    if (listIndex < 0 || listIndex >= int(sizeof codes))
        return 0;
    return codes[listIndex];
}

UploadOptions uploadOptions(const BadgeSetup &setup)
{
    UploadOptions options;
    for (int i = 0; i < kSlotCount; ++i) {
        const SlotSetup &slot = setup.slots[i];
        SlotOptions &o = options.slotOptions[i];
        o.speed = slot.speed;
        o.flash = slot.flash ? 1 : 0;
        o.border = slot.border ? 1 : 0;
        o.modeIndex = slot.mode;
    }
    options.brightness = setup.brightness;
    options.alternate = setup.alternateGroup();
    return options;
}

std::uint8_t slotOptionByte(const SlotOptions &slot)
{
    const qint64 wide = (numericValue(slot.speed) - 1) * 16 + qint64(slot.flash) * 8
        + qint64(slot.border) * 128;
    const int base = (wide >= 0 && wide <= 255) ? int(wide) : 0;
    // The base is a multiple of 8 at most 248 for 0/1 boxes, so the sum fits;
    // other box values are masked rather than wrapped into the mode bits.
    return std::uint8_t((base + moveModeCode(slot.modeIndex)) & 0xFF);
}

std::uint8_t brightnessByte(const QString &text)
{
    return std::uint8_t((4 - numericValue(text)) & 3);
}

RowBytes clampRowBytes(const RowBytes &rendered)
{
    RowBytes clamped{};
    int offset = 0;
    for (int i = 0; i < kSlotCount; ++i) {
        // A negative count can only come from a fault upstream; send nothing.
        const int length = std::max(0, int(rendered[i]));
        clamped[i] = std::int16_t(offset + length > kRowLimit ? kRowLimit - offset : length);
        offset += clamped[i];
    }
    return clamped;
}

QByteArray buildUploadHeader(const UploadOptions &options, const RowBytes &rendered,
                             RowBytes &clamped)
{
    QByteArray header(kUploadHeaderSize, '\0');
    header[1] = char(std::clamp(int(rendered[0]), 0, kRowLimit) / 6);
    header[2] = char(brightnessByte(options.brightness));
    if (options.alternate.count >= 2) {
        header[3] = char(options.alternate.first);
        header[4] = char(options.alternate.count);
    }
    for (int i = 7; i <= 14; ++i)
        header[i] = char(0xFF);

    clamped = clampRowBytes(rendered);
    int offset = 0;
    for (int i = 0; i < kSlotCount; ++i) {
        header[15 + i] = char(slotOptionByte(options.slotOptions[i]));
        putWord(header, 31 + 4 * i, offset);
        putWord(header, 33 + 4 * i, clamped[i]);
        offset += clamped[i];
    }
    putWord(header, 5, offset);
    return header;
}

QByteArray buildRowPacket(const DotBuffer &dots, const RowBytes &clamped, int row)
{
    QByteArray packet;
    if (row < 0 || row >= kRowCount)
        return packet;
    packet.reserve(kRowLimit);
    for (int j = 0; j < kSlotCount; ++j) {
        const int length = std::clamp(int(clamped[j]), 0, kRowByteCount);
        if (length > 0)
            packet.append(reinterpret_cast<const char *>(dots.row(j, row)), length);
    }
    return packet;
}

QByteArray uploadStream(const UploadSnapshot &snapshot)
{
    RowBytes clamped{};
    QByteArray stream(kPreamble, kPreambleSize);
    stream += buildUploadHeader(snapshot.options, snapshot.rowBytes, clamped);
    for (int r = 0; r < kRowCount; ++r)
        stream += buildRowPacket(snapshot.dots, clamped, r);
    return stream;
}

} // namespace glintag
