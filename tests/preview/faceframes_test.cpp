#include "preview/faceframes.h"

#include <gtest/gtest.h>

using namespace glintag;

namespace {

// A slot whose column c has one lit dot, in row (c * 5) % 12, and a second
// one in row 0 every seventh column, so no two neighbouring pages look alike.
struct PatternSlot {
    DotBuffer dots;
    explicit PatternSlot(int columns) : columns(columns)
    {
        for (int c = 0; c < columns; ++c) {
            for (int r : {(c * 5) % 12, c % 7 == 0 ? 0 : -1}) {
                if (r >= 0)
                    dots.row(0, r)[c >> 3] |= std::uint8_t(0x80 >> (c & 7));
            }
        }
    }
    FacePiece piece(MoveMode mode, bool flash = false, bool border = false) const
    {
        return FacePiece{0, mode, kSpeedMin, flash, border, SlotDots{dots.slot(0), columns}};
    }
    int columns;
};

// What a still face shows with slot column `first` at its left edge.
FaceFrame window(const FacePiece &p, int width, int first)
{
    FaceFrame f;
    f.width = width;
    for (int r = 0; r < kFaceRows; ++r)
        for (int x = 0; x < width; ++x)
            if (p.dots.lit(r, first + x))
                f.set(r, x);
    return f;
}

FaceFrame blank(int width)
{
    FaceFrame f;
    f.width = width;
    return f;
}

} // namespace

TEST(FaceFrames, ScrollingLeftAndRight)
{
    const PatternSlot slot(200);
    const int W = 48, C = 200;
    const FacePiece left = slot.piece(MoveMode::Left), right = slot.piece(MoveMode::Right);
    const struct {
        const char *what;
        const FacePiece &piece;
        int step;
        FaceFrame expected;
    } cases[] = {
        {"left, first frame: column 0 at the right edge", left, 0, window(left, W, 1 - W)},
        {"left, the first page fills the face", left, W - 1, window(left, W, 0)},
        {"left, ten steps later", left, W + 9, window(left, W, 10)},
        {"left, last frame: all gone", left, C + W - 1, blank(W)},
        {"right, first frame: the last column at the left edge", right, 0, window(right, W, C - 1)},
        {"right, the last page fills the face", right, W - 1, window(right, W, C - W)},
        {"right, ten steps later", right, W + 9, window(right, W, C - W - 10)},
        {"right, last frame: all gone", right, C + W - 1, blank(W)},
    };
    for (const auto &c : cases)
        EXPECT_EQ(pieceFrame(c.piece, W, c.step), c.expected) << c.what;
    EXPECT_EQ(pieceSteps(left, W), C + W);
}

TEST(FaceFrames, PagesOfStillAndVerticalModes)
{
    const int W = 40;
    const PatternSlot slot(100); // pages of 40, 40 and 20 columns
    const FacePiece freeze = slot.piece(MoveMode::Freeze), up = slot.piece(MoveMode::Up),
                    down = slot.piece(MoveMode::Down);
    const int upPeriod = kFaceRows + kHoldSteps;
    const struct {
        const char *what;
        const FacePiece &piece;
        int step;
        FaceFrame expected;
    } cases[] = {
        {"freeze, first page", freeze, 0, window(freeze, W, 0)},
        {"freeze, still the first page", freeze, kHoldSteps - 1, window(freeze, W, 0)},
        {"freeze, second page", freeze, kHoldSteps, window(freeze, W, W)},
        {"freeze, last (short) page", freeze, 2 * kHoldSteps, window(freeze, W, 2 * W)},
        {"up, page in place after 12 steps", up, kFaceRows - 1, window(up, W, 0)},
        {"down, second page in place", down, upPeriod + kFaceRows - 1, window(down, W, W)},
    };
    for (const auto &c : cases)
        EXPECT_EQ(pieceFrame(c.piece, W, c.step), c.expected) << c.what;
    EXPECT_EQ(pieceSteps(freeze, W), 3 * kHoldSteps);
    EXPECT_EQ(pieceSteps(up, W), 3 * upPeriod);

    // Moving up, the new page's top row enters at the bottom; moving down,
    // its bottom row enters at the top.
    const FaceFrame page = window(up, W, 0);
    const FaceFrame upStart = pieceFrame(up, W, 0), downStart = pieceFrame(down, W, 0);
    for (int r = 0; r < kFaceRows; ++r) {
        EXPECT_EQ(upStart.rows[size_t(r)], r == 11 ? page.rows[0] : 0u) << "up, row " << r;
        EXPECT_EQ(downStart.rows[size_t(r)], r == 0 ? page.rows[11] : 0u) << "down, row " << r;
    }
}

TEST(FaceFrames, FlashAndBorderLamp)
{
    const int W = 40;
    const PatternSlot slot(W);
    const FacePiece flashing = slot.piece(MoveMode::Freeze, true);
    const FaceFrame page = window(flashing, W, 0);
    const struct {
        int step;
        bool on;
    } phases[] = {{0, true},
                  {kFlashSteps - 1, true},
                  {kFlashSteps, false},
                  {2 * kFlashSteps - 1, false},
                  {2 * kFlashSteps, true}};
    for (const auto &p : phases)
        EXPECT_EQ(pieceFrame(flashing, W, p.step), p.on ? page : blank(W)) << "step " << p.step;

    // An empty slot with the lamp: only the edge lights, half of it, in
    // pairs that move one dot clockwise per step.
    const PatternSlot empty(0);
    const FacePiece lamp = empty.piece(MoveMode::Freeze, false, true);
    const FaceFrame f0 = pieceFrame(lamp, W, 0), f1 = pieceFrame(lamp, W, 1);
    int litDots = 0;
    for (int r = 0; r < kFaceRows; ++r)
        for (int c = 0; c < W; ++c) {
            const bool edge = r == 0 || r == kFaceRows - 1 || c == 0 || c == W - 1;
            litDots += f0.lit(r, c);
            EXPECT_TRUE(edge || !f0.lit(r, c)) << r << "," << c;
        }
    EXPECT_EQ(litDots, (2 * W + 2 * (kFaceRows - 2)) / 2);
    const auto topLeft = [](const FaceFrame &f) {
        return std::vector<bool>{f.lit(0, 0), f.lit(0, 1), f.lit(0, 2), f.lit(0, 3)};
    };
    EXPECT_EQ(topLeft(f0), (std::vector<bool>{true, true, false, false}));
    EXPECT_EQ(topLeft(f1), (std::vector<bool>{false, true, true, false}));
    // The lamp keeps running through the flash's off phase.
    const FacePiece both = slot.piece(MoveMode::Freeze, true, true);
    EXPECT_EQ(pieceFrame(both, W, kFlashSteps), pieceFrame(lamp, W, kFlashSteps));
}

TEST(FaceFrames, PlayOrderWithAlternateGroup)
{
    RowBytes sent{};
    for (int s : {0, 1, 2, 3, 5})
        sent[size_t(s)] = 4;
    const struct {
        const char *what;
        AlternateGroup group;
        std::vector<int> order;
    } cases[] = {
        {"no group", {0, 0}, {0, 1, 2, 3, 5}},
        {"a group of one is no group", {2, 1}, {0, 1, 2, 3, 5}},
        {"slots 2..4 take turns in slot 2's place", {1, 3}, {0, 1, 5, 0, 2, 5, 0, 3, 5}},
        {"an empty member (slot 5 of 4..6) is skipped", {4, 3}, {0, 1, 2, 3, 5}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(playOrder(sent, c.group), c.order) << c.what;
    EXPECT_TRUE(playOrder(RowBytes{}, {}).empty());
}

TEST(FaceFrames, PlayerStepsJumpsAndStopsWhenStill)
{
    const int W = 40;
    const PatternSlot a(W), b(2 * W);
    const FacePiece still = a.piece(MoveMode::Freeze); // slot 1
    FacePlayer player;
    player.setPieces({still}, W);
    EXPECT_FALSE(player.moves()) << "one still page: the clock may stop";
    EXPECT_FALSE(player.step());
    EXPECT_EQ(player.frame(), window(still, W, 0));

    FacePiece scroll = b.piece(MoveMode::Left);
    scroll.slot = 3;
    scroll.speed = 8;
    player.setPieces({still, scroll}, W);
    EXPECT_TRUE(player.moves());
    EXPECT_EQ(player.playingSlot(), 0) << "keeps playing the same slot";
    player.setPieces({still, scroll}, W, 3);
    EXPECT_EQ(player.playingSlot(), 3) << "jumps to the slot being edited";
    EXPECT_EQ(player.interval(), stepInterval(8));
    for (int i = 0; i < pieceSteps(scroll, W); ++i)
        player.step();
    EXPECT_EQ(player.playingSlot(), 0) << "wraps round to the first piece";
}
