#include "protocol/uploadstream.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace glintag;

TEST(UploadStream, slotOptionByte)
{
    // Mode list index 6 is Curtain Apart (code 7), 7 is Animation (code 5); 256 and -16 overflow.
    const struct {
        const char *speed;
        bool flash, lamp;
        int mode, expected;
    } cases[] = {
        {"8", 1, 1, 6, 0xFF}, {"1", 0, 0, 7, 0x05}, {"1", 0, 0, 5, 0x06},  {"2", 0, 0, -1, 0x10}, {"9", 0, 1, 3, 0x03},
        {"", 0, 0, 2, 0x02},  {"", 0, 1, 0, 0x70},  {"-3", 0, 1, 1, 0x41}, {"3x", 1, 0, 3, 0x2B}, {" 2", 0, 0, 0, 0x10},
    };
    for (const auto &c : cases) {
        SlotSetup slot;
        slot.speed = QLatin1String(c.speed);
        slot.flash = c.flash;
        slot.border = c.lamp;
        slot.mode = c.mode;
        EXPECT_EQ(slotOptionByte(slot), c.expected) << c.speed << c.mode;
    }
}

TEST(UploadStream, RunsShareOneRow)
{
    const struct {
        std::vector<int> rendered;
        std::array<int, kSlotCount> len;
        const char *head;
    } cases[] = {
        {{10}, {10}, "00 01 00 00 00 00 0a"},
        {{300, 300}, {300, 212}, "00 32 00 00 00 02 00"},
        {{5, 0, 7}, {5, 0, 7}, "00 00 00 00 00 00 0c"},
        {{0, 6}, {0, 6}, "00 00 00 00 00 00 06"},
        {{24}, {24}, "00 04 00 00 00 00 18"},
        {{25}, {25}, "00 04 00 00 00 00 19"},
        {std::vector<int>(16, 512), {512}, "00 55 00 00 00 02 00"},
        // An Animation slot padded past the row limit: its sixes come before the cut.
        {{516, 30}, {512, 0}, "00 56 00 00 00 02 00"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.head);
        auto s = std::make_unique<UploadSnapshot>();
        DotBuffer &dots = s->rendering.dots;
        for (size_t i = 0; i < dots.bytes.size(); ++i)
            dots.bytes[i] = std::uint8_t(i * 7 + i / kRowByteCount);
        for (SlotSetup &slot : s->setup.slots)
            slot.speed = "1";
        s->setup.slots[0].speed = "4";
        RowBytes rendered{};
        std::copy(c.rendered.begin(), c.rendered.end(), rendered.begin());
        s->rendering.setLengths(rendered);
        const QByteArray out = uploadStream(*s);
        EXPECT_EQ(out.left(5) + out.mid(5, 16).toHex(' '),
                  "HellD" + QByteArray(c.head) + " ff ff ff ff ff ff ff ff 30");
        QByteArray runs, packets;
        for (int i = 0, at = 0; i < kSlotCount; at += c.len[i++])
            runs += QString::asprintf("%04x%04x", at, c.len[i]).toLatin1();
        EXPECT_EQ(out.mid(36, 64).toHex(), runs);
        for (int r = 0; r < kRowCount; ++r)
            for (int j = 0; j < kSlotCount; ++j)
                packets.append(reinterpret_cast<const char *>(dots.row(j, r)), c.len[j]);
        EXPECT_EQ(out.mid(100), packets);
    }
}

TEST(UploadStream, BrightnessAndAlternateGroupFields)
{
    const struct {
        const char *bright;
        int begin, num;
        const char *bytes;
    } cases[] = {
        {"1", 0, 0, "03 00 00"}, {"3", 0, 0, "01 00 00"}, {"5", 0, 0, "03 00 00"},
        {"x", 0, 0, "00 00 00"}, {"4", 5, 1, "00 00 00"}, // a group of one is no group
        {"4", 2, 3, "00 02 03"},
    };
    for (const auto &c : cases) {
        BadgeSetup setup;
        setup.brightness = QLatin1String(c.bright);
        for (int i = c.begin; i < c.begin + c.num; ++i)
            setup.slots[size_t(i)].alternate = true;
        EXPECT_EQ(buildUploadHeader(setup, Rendering{}).mid(2, 3).toHex(' '), c.bytes) << c.bright << c.begin;
    }
}
