#include "link/uploadstream.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace glintag;

namespace {
QByteArray hex(const QByteArray &b) { return b.toHex(' '); }
} // namespace

TEST(UploadStream, SlotOptionByte)
{
    const struct { const char *speed; int flash, lamp, mode, expected; } cases[] = {
        {"8", 1, 1, 6, 0xFF},   // Curtain Apart
        {"4", 0, 0, 0, 0x30}, {"1", 0, 0, 5, 0x06}, {"1", 0, 0, 7, 0x05}, {"2", 0, 0, -1, 0x10},
        {"9", 0, 1, 3, 0x03},   // 256 does not fit a byte: mode code only
        {"", 0, 0, 2, 0x02},    // -16 neither
        {"", 0, 1, 0, 0x70}, {"-3", 0, 1, 1, 0x41}, {"3x", 1, 0, 3, 0x2B}, {" 2", 0, 0, 0, 0x10},
    };
    for (const auto &c : cases)
        EXPECT_EQ(SlotOptionByte({QString::fromLatin1(c.speed), c.flash, c.lamp, c.mode}), c.expected)
            << c.speed << " " << c.mode;
}

TEST(UploadStream, RunsShareOneRow)
{
    const struct { std::vector<int> rendered, lengths; const char *head; } cases[] = {
        {{10}, {10}, "00 01 00 00 00 00 0a"},
        {{300, 300}, {300, 212}, "00 32 00 00 00 02 00"},
        {{5, 0, 7}, {5, 0, 7}, "00 00 00 00 00 00 0c"},
        {std::vector<int>(16, 512), {512}, "00 55 00 00 00 02 00"},
        {{24}, {24}, "00 04 00 00 00 00 18"},
        {{25}, {25}, "00 04 00 00 00 00 19"},
        {{0, 6}, {0, 6}, "00 00 00 00 00 00 06"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.head);
        auto s = std::make_unique<UploadSnapshot>();
        for (size_t i = 0; i < s->dots.bytes.size(); ++i)
            s->dots.bytes[i] = std::uint8_t(i * 7 + i / kRowByteCount);
        s->options.slotOptions[0].speed = QStringLiteral("4");
        for (size_t i = 0; i < c.rendered.size(); ++i)
            s->rowBytes[i] = std::int16_t(c.rendered[i]);

        const QByteArray stream = uploadStream(*s);
        EXPECT_EQ(stream.left(5), "HellD");
        EXPECT_EQ(hex(stream.mid(5, 16)), QByteArray(c.head) + " ff ff ff ff ff ff ff ff 30");
        QByteArray runs, packets;
        for (int i = 0, offset = 0; i < kSlotCount; ++i) {
            const int length = size_t(i) < c.lengths.size() ? c.lengths[i] : 0;
            for (int v : {offset >> 8, offset & 255, length >> 8, length & 255})
                runs.append(char(v));
            offset += length;
        }
        EXPECT_EQ(hex(stream.mid(5 + 31, 64)), hex(runs));
        for (int r = 0; r < kRowCount; ++r)
            for (size_t j = 0; j < c.lengths.size(); ++j)
                packets.append(reinterpret_cast<const char *>(s->dots.row(int(j), r)), c.lengths[j]);
        EXPECT_EQ(stream.mid(5 + 95), packets);
    }
}

TEST(UploadStream, BrightnessAndAlternateGroupFields)
{
    const struct { const char *bright; int begin, num; const char *bytes; } cases[] = {
        {"1", 0, 0, "03 00 00"}, {"2", 0, 0, "02 00 00"}, {"3", 0, 0, "01 00 00"}, {"5", 0, 0, "03 00 00"},
        {"x", 0, 0, "00 00 00"}, {"4", 5, 1, "00 00 00"},   // a group of one is no group
        {"4", 2, 3, "00 02 03"}, {"4", 14, 2, "00 0e 02"},
    };
    for (const auto &c : cases) {
        UploadOptions o;
        o.brightness = QString::fromLatin1(c.bright);
        o.alternateBeginMsg = std::uint8_t(c.begin);
        o.alternateMsgNum = std::uint8_t(c.num);
        RowBytes clamped{};
        EXPECT_EQ(hex(buildUploadHeader(o, RowBytes{}, clamped).mid(2, 3)), c.bytes) << c.bright << c.begin;
    }
}
