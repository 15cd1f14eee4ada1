#pragma once

#include "preview/faceframes.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace glintag {

struct BadgeSetup;
struct Rendering;

// One full round of the face as the preview plays it: each distinct frame
// with how long it stays, in milliseconds (steps that change nothing are
// folded into the frame before).
struct FaceRound {
    int width = 0;
    std::vector<FaceFrame> frames;
    std::vector<int> durationsMs;

    int totalMs() const;
};

FaceRound faceRound(const BadgeSetup &setup, const Rendering &rendering);

// Writes the round as an animated GIF that loops for ever: each dot a round
// lamp `scale` pixels apart (2..16), lit amber or dark, on black. GIF delays
// count hundredths of a second; each frame's delay is rounded so that the
// frames' ends stay on the face's own clock. Nothing, with the reason in
// *reason, when it cannot be made.
std::optional<QByteArray> faceGif(const FaceRound &round, int scale, QString *reason = nullptr);
// The same written through the one output writer (outputfile.h); false with
// the reason in *reason.
bool writeFaceGif(const FaceRound &round, const QString &path, int scale, QString *reason = nullptr);

// The lamp colours, shared with the command line's still picture.
inline constexpr unsigned kLitLamp = 0xFFB000u, kDarkLamp = 0x302010u;

} // namespace glintag
