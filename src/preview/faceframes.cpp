#include "preview/faceframes.h"

#include "badge/badgesetup.h"
#include "protocol/uploadstream.h"

#include <algorithm>

namespace glintag {

namespace {

constexpr int kPileSteps = kFaceRows * (kFaceRows + 1) / 2; // row 11 falls 12 steps, row 10 11, ...

int pageCount(const FacePiece &piece, int width)
{
    return std::max(1, (piece.dots.columns + width - 1) / width);
}

// Content column of face column x on page p.
int pageColumn(int page, int width, int x)
{
    return page * width + x;
}

// Copies page p (or a blank page for p < 0) into the frame, rows shifted so
// that page row `fromRow` lands on face row `toRow`; rows off the face drop.
void drawPageRows(FaceFrame &f, const FacePiece &piece, int page, int firstPageRow, int faceRow, int rowCount)
{
    if (page < 0)
        return;
    for (int i = 0; i < rowCount; ++i) {
        const int r = firstPageRow + i, y = faceRow + i;
        if (r < 0 || r >= kFaceRows || y < 0 || y >= kFaceRows)
            continue;
        for (int x = 0; x < f.width; ++x)
            if (piece.dots.lit(r, pageColumn(page, f.width, x)))
                f.set(y, x);
    }
}

void drawPage(FaceFrame &f, const FacePiece &piece, int page)
{
    drawPageRows(f, piece, page, 0, 0, kFaceRows);
}

void drawColumnsFrom(FaceFrame &f, const FacePiece &piece, int firstColumn)
{
    for (int r = 0; r < kFaceRows; ++r)
        for (int x = 0; x < f.width; ++x)
            if (piece.dots.lit(r, firstColumn + x))
                f.set(r, x);
}

FaceFrame contentFrame(const FacePiece &piece, int width, int step)
{
    FaceFrame f;
    f.width = width;
    const int C = piece.dots.columns;
    switch (piece.mode) {
    case MoveMode::Right:
        // The slot's last column enters at the left edge and the slot moves
        // right until its first column has left.
        drawColumnsFrom(f, piece, C - 1 - step);
        break;
    case MoveMode::Up:
    case MoveMode::Down: {
        const int period = kFaceRows + kHoldSteps;
        const int page = step / period, s = step % period;
        if (s >= kFaceRows) {
            drawPage(f, piece, page);
        } else if (piece.mode == MoveMode::Up) {
            // The new page pushes the previous one out at the top.
            drawPageRows(f, piece, page - 1, s + 1, 0, kFaceRows);
            drawPageRows(f, piece, page, 0, kFaceRows - 1 - s, kFaceRows);
        } else {
            drawPageRows(f, piece, page, kFaceRows - 1 - s, 0, kFaceRows);
            drawPageRows(f, piece, page - 1, 0, s + 1, kFaceRows);
        }
        break;
    }
    case MoveMode::Freeze:
        drawPage(f, piece, step / kHoldSteps);
        break;
    case MoveMode::PileUp: {
        const int period = kPileSteps + kHoldSteps;
        const int page = step / period;
        int rest = step % period;
        if (rest >= kPileSteps) {
            drawPage(f, piece, page);
            break;
        }
        // Rows drop from the top one at a time, the bottom row first, and
        // stay where they land.
        int k = 0;
        while (rest >= kFaceRows - k) {
            rest -= kFaceRows - k;
            ++k;
        }
        const int falling = kFaceRows - 1 - k;
        drawPageRows(f, piece, page, falling + 1, falling + 1, kFaceRows);
        drawPageRows(f, piece, page, falling, rest, 1);
        break;
    }
    case MoveMode::Curtain: {
        const int half = width / 2, period = half + kHoldSteps;
        const int page = step / period, s = step % period;
        drawPage(f, piece, page);
        if (s < half) {
            // Opens from the middle outwards.
            const int from = half - 1 - s, to = half + s; // visible columns
            const std::uint64_t keep = (~std::uint64_t(0) >> from) & (~std::uint64_t(0) << (63 - to));
            for (auto &row : f.rows)
                row &= keep;
        }
        break;
    }
    case MoveMode::Animation:
        drawPage(f, piece, step / kAnimationFrameSteps);
        break;
    case MoveMode::Left:
    default:
        // The slot's first column enters at the right edge.
        drawColumnsFrom(f, piece, step + 1 - width);
        break;
    }
    return f;
}

// The lamp runs clockwise around the edge: two dots on, two off.
void drawBorder(FaceFrame &f, int step)
{
    const int w = f.width;
    int p = 0;
    auto put = [&](int r, int c) {
        if (((p - step) % 4 + 4) % 4 < 2)
            f.set(r, c);
        ++p;
    };
    for (int c = 0; c < w; ++c)
        put(0, c);
    for (int r = 1; r < kFaceRows; ++r)
        put(r, w - 1);
    for (int c = w - 2; c >= 0; --c)
        put(kFaceRows - 1, c);
    for (int r = kFaceRows - 2; r >= 1; --r)
        put(r, 0);
}

} // namespace

std::vector<int> playOrder(const RowBytes &sent, const AlternateGroup &group)
{
    const bool grouped = group.count >= 2;
    auto inGroup = [&](int s) { return grouped && s >= group.first && s < group.first + group.count; };
    std::vector<int> members;
    for (int s = 0; s < kSlotCount; ++s)
        if (sent[size_t(s)] > 0 && inGroup(s))
            members.push_back(s);
    const int rounds = std::max<int>(1, int(members.size()));
    std::vector<int> order;
    for (int round = 0; round < rounds; ++round) {
        for (int s = 0; s < kSlotCount; ++s) {
            if (sent[size_t(s)] <= 0)
                continue;
            if (!inGroup(s))
                order.push_back(s);
            else if (s == members.front())
                order.push_back(members[size_t(round) % members.size()]);
        }
    }
    return order;
}

std::vector<FacePiece> facePieces(const BadgeSetup &setup, const DotBuffer &dots, const RowBytes &sent)
{
    std::vector<FacePiece> pieces;
    for (int s : playOrder(sent, setup.alternateGroup())) {
        const SlotSetup &slot = setup.slots[size_t(s)];
        FacePiece p;
        p.slot = s;
        // A slot without a mode goes out with code 0, that of "to Left".
        p.mode = moveModeAt(slot.mode).value_or(MoveMode::Left);
        p.speed = int(std::clamp<qint64>(numericValue(slot.speed), kSpeedMin, kSpeedMax));
        p.flash = slot.flash;
        p.border = slot.border;
        p.dots.rows = dots.slot(s);
        p.dots.columns = sent[size_t(s)] * 8;
        pieces.push_back(p);
    }
    return pieces;
}

int pieceSteps(const FacePiece &piece, int width)
{
    const int pages = pageCount(piece, width);
    switch (piece.mode) {
    case MoveMode::Up:
    case MoveMode::Down:
        return pages * (kFaceRows + kHoldSteps);
    case MoveMode::Freeze:
        return pages * kHoldSteps;
    case MoveMode::PileUp:
        return pages * (kPileSteps + kHoldSteps);
    case MoveMode::Curtain:
        return pages * (width / 2 + kHoldSteps);
    case MoveMode::Animation:
        return pages * kAnimationFrameSteps;
    default:
        return std::max(1, piece.dots.columns + width);
    }
}

FaceFrame pieceFrame(const FacePiece &piece, int width, int step)
{
    FaceFrame f;
    const bool flashOff = piece.flash && (step / kFlashSteps) % 2 == 1;
    if (flashOff)
        f.width = width;
    else
        f = contentFrame(piece, width, step);
    if (piece.border)
        drawBorder(f, step);
    return f;
}

int stepInterval(int speed)
{
    return 20 * (kSpeedMax + 1 - std::clamp(speed, kSpeedMin, kSpeedMax));
}

void FacePlayer::setPieces(std::vector<FacePiece> pieces, int width, int focusSlot)
{
    const int playing = playingSlot();
    m_pieces = std::move(pieces);
    m_width = width;
    auto indexOf = [&](int slot) {
        for (size_t i = 0; i < m_pieces.size(); ++i)
            if (m_pieces[i].slot == slot)
                return int(i);
        return -1;
    };
    const int focus = focusSlot >= 0 && focusSlot != playing ? indexOf(focusSlot) : -1;
    const int same = indexOf(playing);
    if (focus >= 0) {
        m_piece = focus;
        m_step = 0;
    } else if (same >= 0) {
        m_piece = same;
        m_step = std::min(m_step, pieceSteps(m_pieces[size_t(same)], m_width) - 1);
    } else {
        m_piece = 0;
        m_step = 0;
    }
    compute();
}

bool FacePlayer::step()
{
    if (m_pieces.empty())
        return false;
    if (++m_step >= pieceSteps(m_pieces[size_t(m_piece)], m_width)) {
        m_step = 0;
        m_piece = (m_piece + 1) % int(m_pieces.size());
    }
    const FaceFrame before = m_frame;
    compute();
    return before != m_frame;
}

int FacePlayer::interval() const
{
    return m_pieces.empty() ? 0 : stepInterval(m_pieces[size_t(m_piece)].speed);
}

bool FacePlayer::moves() const
{
    if (m_pieces.empty())
        return false;
    if (m_pieces.size() > 1)
        return true;
    const FacePiece &p = m_pieces.front();
    if (p.flash || p.border)
        return true;
    return !((p.mode == MoveMode::Freeze || p.mode == MoveMode::Animation) && pageCount(p, m_width) == 1);
}

int FacePlayer::playingSlot() const
{
    return m_pieces.empty() ? -1 : m_pieces[size_t(m_piece)].slot;
}

void FacePlayer::compute()
{
    if (m_pieces.empty()) {
        m_frame = FaceFrame();
        m_frame.width = m_width;
        return;
    }
    m_frame = pieceFrame(m_pieces[size_t(m_piece)], m_width, m_step);
}

} // namespace glintag
