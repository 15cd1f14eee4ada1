#pragma once

#include <QString>

namespace glintag {

// A badge model as far as the dots it gets and shows depend on it.
struct BadgeModel {
    const char *name;
    int faceWidth; // dots across the face; an animation frame is as wide
    // Double-byte glyphs advance 12 columns instead of 13 in the modes that
    // do not scroll sideways.
    bool tightDoubleByte;

    // Slot 1 in Animation mode is padded to whole frames of this many bytes.
    constexpr int frameBytes() const { return faceWidth / 8; }
};

inline constexpr BadgeModel kBadgeModels[] = {
    {"R1", 40, false},
    {"R2", 48, true},
};
inline constexpr const BadgeModel &kModelR1 = kBadgeModels[0];
inline constexpr const BadgeModel &kModelR2 = kBadgeModels[1];

// The widest face of all models, for a box that holds any of them.
constexpr int widestFace()
{
    int widest = 0;
    for (const BadgeModel &m : kBadgeModels)
        widest = widest < m.faceWidth ? m.faceWidth : widest;
    return widest;
}

// The model a model text names: exactly "R2" is R2, any other text R1.
const BadgeModel &badgeModel(const QString &text);

} // namespace glintag
