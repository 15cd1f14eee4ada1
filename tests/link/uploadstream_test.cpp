#include "link/uploadstream.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace glintag;

namespace {

int at(const QByteArray &b, int i) { return static_cast<unsigned char>(b.at(i)); }
int wordAt(const QByteArray &b, int i) { return at(b, i) * 256 + at(b, i + 1); }

// A recognisable value for every byte of the buffer.
std::uint8_t pattern(int slot, int row, int k) { return std::uint8_t(slot * 37 + row * 11 + k * 3 + 1); }

std::unique_ptr<UploadSnapshot> patternedSnapshot()
{
    auto s = std::make_unique<UploadSnapshot>();
    for (int j = 0; j < kSlotCount; ++j)
        for (int r = 0; r < kRowCount; ++r)
            for (int k = 0; k < kRowByteCount; ++k)
                s->dots.row(j, r)[k] = pattern(j, r, k);
    return s;
}

} // namespace

TEST(UploadStream, NumbersInTexts)
{
    const struct { const char *text; qint64 value; } numbers[] = {
        {"4", 4}, {"  7", 7}, {"\t12", 12}, {"+3", 3}, {"-2", -2}, {"3x", 3}, {"", 0},
        {"abc", 0}, {" - 2", 0}, {"08", 8}, {"99999999999999999999", 1000000000000},
    };
    for (const auto &c : numbers)
        EXPECT_EQ(numericValue(QString::fromUtf8(c.text)), c.value) << c.text;

    const struct { const char *text; int expected; } brightness[] = {
        {"1", 3}, {"2", 2}, {"3", 1}, {"4", 0}, {"5", 3}, {"6", 2}, {"bright", 0}, {"", 0}, {"-1", 1},
    };
    for (const auto &c : brightness)
        EXPECT_EQ(brightnessByte(QString::fromLatin1(c.text)), c.expected) << c.text;
}

TEST(UploadStream, SlotOptionByte)
{
    const struct { const char *speed; int flash, lamp, mode; int expected; } cases[] = {
        {"4", 0, 0, 0, 0x30},
        {"8", 1, 1, 6, 0xFF},          // 0x80 + 0x70 + 0x08 + Curtain Apart 7
        {"1", 0, 0, 4, 0x04},          // Freeze
        {"1", 0, 0, 5, 0x06},          // Pile Up
        {"1", 0, 0, 7, 0x05},          // Animation
        {"1", 0, 0, 8, 0x00},          // no such item
        {"2", 0, 0, -1, 0x10},         // nothing selected
        {"9", 0, 1, 0, 0x00},          // 256 does not fit: dropped
        {"9", 0, 1, 3, 0x03},          // ... but the mode code is still added
        {"", 0, 0, 0, 0x00},           // -16
        {"", 0, 1, 0, 0x70},           // -16 + 128
        {"abc", 1, 0, 2, 0x02},        // -8 dropped, mode kept
        {"-3", 0, 1, 1, 0x41},         // -64 + 128 + 1
        {"3x", 1, 0, 3, 0x2B},
    };
    for (const auto &c : cases)
        EXPECT_EQ(SlotOptionByte({QString::fromLatin1(c.speed), c.flash, c.lamp, c.mode}), c.expected)
            << c.speed << " " << c.flash << c.lamp << " " << c.mode;
}

TEST(UploadStream, OneShortSlot)
{
    auto s = patternedSnapshot();
    s->options.slotOptions[0] = {QStringLiteral("4"), 0, 0, 0};
    s->options.slotOptions[9] = {QStringLiteral("2"), 1, 0, 5};
    s->rowBytes[0] = 10;

    const QByteArray stream = uploadStream(*s);
    ASSERT_EQ(stream.size(), 5 + 95 + 12 * 10);
    EXPECT_EQ(stream.left(5), QByteArray("HellD"));
    const QByteArray h = stream.mid(5, 95);
    const std::vector<int> head = {0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x0A,
                                   0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x30};
    for (int i = 0; i < int(head.size()); ++i)
        EXPECT_EQ(at(h, i), head[i]) << i;
    for (int i = 1; i < kSlotCount; ++i)
        EXPECT_EQ(at(h, 15 + i), i == 9 ? 0x1E : 0x00) << i;   // default options: speed 1, left
    for (int i = 0; i < kSlotCount; ++i) {
        EXPECT_EQ(wordAt(h, 31 + 4 * i), i == 0 ? 0 : 10) << i;
        EXPECT_EQ(wordAt(h, 33 + 4 * i), i == 0 ? 10 : 0) << i;
    }
    for (int r = 0; r < kRowCount; ++r)
        for (int k = 0; k < 10; ++k)
            ASSERT_EQ(at(stream, 100 + r * 10 + k), pattern(0, r, k));
}

TEST(UploadStream, RunsAreClampedToOneRow)
{
    const struct {
        const char *name;
        std::vector<int> rendered;          // slots 0.. (the rest 0)
        std::vector<int> lengths;           // expected clamped lengths (the rest 0)
        int byte1;
    } cases[] = {
        {"two of 300", {300, 300}, {300, 212}, 50},
        {"gap between selected", {5, 0, 7}, {5, 0, 7}, 0},
        {"all full", std::vector<int>(16, 512), {512}, 85},
        {"animation R2", {24}, {24}, 4},
        {"animation R1", {25}, {25}, 4},
        {"negative count sends nothing", {-5, 10}, {0, 10}, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        auto s = patternedSnapshot();
        for (size_t i = 0; i < c.rendered.size(); ++i)
            s->rowBytes[i] = std::int16_t(c.rendered[i]);

        RowBytes clamped{};
        const QByteArray h = buildUploadHeader(s->options, s->rowBytes, clamped);
        int offset = 0;
        for (int i = 0; i < kSlotCount; ++i) {
            const int length = i < int(c.lengths.size()) ? c.lengths[i] : 0;
            EXPECT_EQ(wordAt(h, 31 + 4 * i), offset) << i;
            EXPECT_EQ(wordAt(h, 33 + 4 * i), length) << i;
            EXPECT_EQ(clamped[i], length) << i;
            offset += length;
        }
        EXPECT_EQ(wordAt(h, 5), offset);
        EXPECT_EQ(at(h, 1), c.byte1);

        for (int r = 0; r < kRowCount; ++r) {
            QByteArray want;
            for (int j = 0; j < int(c.lengths.size()); ++j)
                for (int k = 0; k < c.lengths[j]; ++k)
                    want.append(char(pattern(j, r, k)));
            EXPECT_EQ(buildRowPacket(s->dots, clamped, r), want) << r;
        }
    }
}

TEST(UploadStream, AlternateGroupAndBrightnessFields)
{
    const struct { int begin, num; const char *bright; int b2, b3, b4; } cases[] = {
        {5, 1, "4", 0, 0, 0},     // a group of one is no group
        {2, 3, "1", 3, 2, 3},
        {0, 0, "5", 3, 0, 0},
        {14, 2, "x", 0, 14, 2},
    };
    for (const auto &c : cases) {
        UploadOptions o;
        o.alternateBeginMsg = std::uint8_t(c.begin);
        o.alternateMsgNum = std::uint8_t(c.num);
        o.brightness = QString::fromLatin1(c.bright);
        RowBytes clamped{};
        const QByteArray h = buildUploadHeader(o, RowBytes{}, clamped);
        EXPECT_EQ(at(h, 2), c.b2) << c.begin << "/" << c.num;
        EXPECT_EQ(at(h, 3), c.b3) << c.begin << "/" << c.num;
        EXPECT_EQ(at(h, 4), c.b4) << c.begin << "/" << c.num;
    }
}
