#pragma once

#include "badge/alternate.h"
#include "badge/badgemodel.h"
#include "badge/dotbuffer.h"
#include "badge/movemode.h"

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

namespace glintag {

struct BadgeSetup;

// What the badge face shows, frame by frame, while it plays the selected
// slots. The dots come straight from the bytes the upload sends; how they
// move (steps, pauses, timing) is this program's approximation of a badge,
// not something the badge reports. No widgets here: the panel only paints.

constexpr int kFaceRows = kRowCount;
constexpr int kHoldSteps = 32; // steps a still page stays on the face
constexpr int kAnimationFrameSteps = 4;
constexpr int kFlashSteps = 8; // steps per flash phase (on, then off)

// One picture of the face: 12 rows of up to 64 dots, bit 63 the leftmost
// column, so a whole frame is compared and combined a row word at a time.
struct FaceFrame {
    int width = 0;
    std::array<std::uint64_t, kFaceRows> rows{};

    bool lit(int row, int column) const { return (rows[size_t(row)] >> (63 - column)) & 1u; }
    void set(int row, int column) { rows[size_t(row)] |= std::uint64_t(1) << (63 - column); }
    bool operator==(const FaceFrame &o) const { return width == o.width && rows == o.rows; }
    bool operator!=(const FaceFrame &o) const { return !(*this == o); }
};

// One slot's sent dots: `columns` = sent bytes × 8, rows 512 bytes apart.
struct SlotDots {
    const std::uint8_t *rows = nullptr;
    int columns = 0;

    bool lit(int row, int column) const
    {
        return column >= 0 && column < columns
            && ((rows[row * kRowByteCount + (column >> 3)] >> (7 - (column & 7))) & 1);
    }
};

// One slot as the face plays it.
struct FacePiece {
    int slot = 0;
    MoveMode mode = MoveMode::Left;
    int speed = kSpeedMin;
    bool flash = false;
    bool border = false;
    SlotDots dots;
};

// The slots in the order one full round plays them: slots that send
// something, in slot order, except that the members of an alternate group
// (two or more slots) share the group's place and take turns, one per round.
// The result covers as many rounds as it takes every member to play once.
std::vector<int> playOrder(const RowBytes &sent, const AlternateGroup &group);

// The pieces of one full round. `sent` are the lengths after the 512-byte
// limit; the pieces point into `dots`, which must outlive them.
std::vector<FacePiece> facePieces(const BadgeSetup &setup, const DotBuffer &dots, const RowBytes &sent);

// Steps a piece takes on a face of `width` dots; always at least 1.
int pieceSteps(const FacePiece &piece, int width);

// Frame `step` (0 .. pieceSteps - 1) of a piece, flash and border lamp included.
FaceFrame pieceFrame(const FacePiece &piece, int width, int step);

// Milliseconds per step at a speed: 160 at speed 1 down to 20 at speed 8
// (speeds outside 1..8 count as the nearest).
int stepInterval(int speed);

// Plays a round of pieces step by step; whoever owns the clock calls step().
class FacePlayer {
public:
    // Keeps playing the same slot where it can; `focusSlot` (if it plays and
    // is not the one playing now) is jumped to, so an edit shows at once.
    void setPieces(std::vector<FacePiece> pieces, int width, int focusSlot = -1);

    // Advances one step; true when the frame differs from the one before.
    bool step();
    const FaceFrame &frame() const { return m_frame; }
    int interval() const; // of the piece playing now
    // False when no step can change the frame: the clock may stop.
    bool moves() const;
    int playingSlot() const; // -1 when nothing plays
    int width() const { return m_width; }

private:
    void compute();

    std::vector<FacePiece> m_pieces;
    int m_width = kModelR1.faceWidth;
    int m_piece = 0;
    int m_step = 0;
    FaceFrame m_frame;
};

} // namespace glintag
