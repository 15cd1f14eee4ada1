#include "protocol/uploadstream.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace glintag;

static QByteArray hex(const QByteArray &b) { return b.toHex(' '); }

TEST(UploadStream, slotOptionByte)
{
    // Mode list index 6 is Curtain Apart (code 7), 7 is Animation (code 5); 256 and -16 overflow.
    const struct { const char *speed; int flash, lamp, mode, expected; } cases[] = {
        {"8", 1, 1, 6, 0xFF}, {"1", 0, 0, 7, 0x05}, {"1", 0, 0, 5, 0x06}, {"2", 0, 0, -1, 0x10},
        {"9", 0, 1, 3, 0x03}, {"", 0, 0, 2, 0x02}, {"", 0, 1, 0, 0x70}, {"-3", 0, 1, 1, 0x41},
        {"3x", 1, 0, 3, 0x2B}, {" 2", 0, 0, 0, 0x10},
    };
    for (const auto &c : cases)
        EXPECT_EQ(slotOptionByte({c.speed, c.flash, c.lamp, c.mode}), c.expected) << c.speed << c.mode;
}

TEST(UploadStream, RunsShareOneRow)
{
    const struct { std::vector<int> rendered; std::array<int, kSlotCount> len; const char *head; } cases[] = {
        {{10}, {10}, "00 01 00 00 00 00 0a"}, {{300, 300}, {300, 212}, "00 32 00 00 00 02 00"},
        {{5, 0, 7}, {5, 0, 7}, "00 00 00 00 00 00 0c"}, {{0, 6}, {0, 6}, "00 00 00 00 00 00 06"},
        {{24}, {24}, "00 04 00 00 00 00 18"}, {{25}, {25}, "00 04 00 00 00 00 19"},
        {std::vector<int>(16, 512), {512}, "00 55 00 00 00 02 00"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.head);
        auto s = std::make_unique<UploadSnapshot>();
        for (size_t i = 0; i < s->dots.bytes.size(); ++i)
            s->dots.bytes[i] = std::uint8_t(i * 7 + i / kRowByteCount);
        s->options.slotOptions[0].speed = "4";
        std::copy(c.rendered.begin(), c.rendered.end(), s->rowBytes.begin());
        const QByteArray out = uploadStream(*s);
        EXPECT_EQ(out.left(5) + hex(out.mid(5, 16)), "HellD" + QByteArray(c.head) + " ff ff ff ff ff ff ff ff 30");
        QByteArray runs, packets;
        for (int i = 0, at = 0; i < kSlotCount; at += c.len[i++])
            runs += QString::asprintf("%04x%04x", at, c.len[i]).toLatin1();
        EXPECT_EQ(out.mid(36, 64).toHex(), runs);
        for (int r = 0; r < kRowCount; ++r)
            for (int j = 0; j < kSlotCount; ++j)
                packets.append(reinterpret_cast<const char *>(s->dots.row(j, r)), c.len[j]);
        EXPECT_EQ(out.mid(100), packets);
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
        const UploadOptions o{{}, c.bright, std::uint8_t(c.begin), std::uint8_t(c.num)};
        RowBytes clamped{};
        EXPECT_EQ(hex(buildUploadHeader(o, RowBytes{}, clamped).mid(2, 3)), c.bytes) << c.bright << c.begin;
    }
}
