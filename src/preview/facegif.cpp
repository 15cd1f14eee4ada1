#include "preview/facegif.h"

#include "badge/badgemodel.h"
#include "badge/badgesetup.h"
#include "badge/rendering.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <gif_lib.h>

#include <algorithm>
#include <cmath>

namespace glintag {

namespace {

// Palette entries: black between the lamps, a dark lamp, a lit one.
enum : GifPixelType {
    kBackground = 0,
    kDark = 1,
    kLit = 2
};

int writeToQFile(GifFileType *gif, const GifByteType *bytes, int length)
{
    auto *file = static_cast<QSaveFile *>(gif->UserData);
    return int(file->write(reinterpret_cast<const char *>(bytes), length));
}

// Which pixels of a scale × scale cell belong to the round lamp.
std::vector<bool> lampMask(int scale)
{
    std::vector<bool> mask(size_t(scale * scale));
    const double r = (scale - 1) / 2.0, c = (scale - 1) / 2.0;
    for (int y = 0; y < scale; ++y)
        for (int x = 0; x < scale; ++x)
            mask[size_t(y * scale + x)] = std::hypot(x - c, y - c) <= r + 0.25;
    return mask;
}

QString gifError(int code)
{
    const char *text = GifErrorString(code);
    return text ? QString::fromLatin1(text) : QStringLiteral("GIF error %1").arg(code);
}

} // namespace

int FaceRound::totalMs() const
{
    int total = 0;
    for (int d : durationsMs)
        total += d;
    return total;
}

FaceRound faceRound(const BadgeSetup &setup, const Rendering &rendering)
{
    FaceRound round;
    round.width = badgeModel(setup.model).faceWidth;
    const std::vector<FacePiece> pieces = facePieces(setup, rendering.dots, rendering.sent);
    for (const FacePiece &piece : pieces) {
        const int steps = pieceSteps(piece, round.width);
        const int interval = stepInterval(piece.speed);
        for (int s = 0; s < steps; ++s) {
            FaceFrame frame = pieceFrame(piece, round.width, s);
            if (!round.frames.empty() && round.frames.back() == frame) {
                round.durationsMs.back() += interval;
                continue;
            }
            round.frames.push_back(frame);
            round.durationsMs.push_back(interval);
        }
    }
    return round;
}

bool writeFaceGif(const FaceRound &round, const QString &path, int scale, QString *reason)
{
    const auto fail = [reason](const QString &why) {
        if (reason)
            *reason = why;
        return false;
    };
    if (round.frames.empty() || round.width <= 0)
        return fail(QStringLiteral("Nothing is shown on the face."));
    scale = std::clamp(scale, 2, 16);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());

    int error = 0;
    GifFileType *gif = EGifOpen(&file, writeToQFile, &error);
    if (!gif)
        return fail(gifError(error));
    const int w = round.width * scale, h = kFaceRows * scale;
    const GifColorType colours[4] = {
        {0, 0, 0},
        {GifByteType(kDarkLamp >> 16), GifByteType(kDarkLamp >> 8), GifByteType(kDarkLamp)},
        {GifByteType(kLitLamp >> 16), GifByteType(kLitLamp >> 8), GifByteType(kLitLamp)},
        {0, 0, 0},
    };
    ColorMapObject *map = GifMakeMapObject(4, colours);
    bool ok = map && EGifPutScreenDesc(gif, w, h, 2, kBackground, map) == GIF_OK;
    GifFreeMapObject(map);
    EGifSetGifVersion(gif, true);
    // Loop for ever, as the badge does.
    static const GifByteType netscape[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
    static const GifByteType loop[] = {1, 0, 0};
    ok = ok && EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK
        && EGifPutExtensionBlock(gif, sizeof netscape, netscape) == GIF_OK
        && EGifPutExtensionBlock(gif, sizeof loop, loop) == GIF_OK && EGifPutExtensionTrailer(gif) == GIF_OK;

    const std::vector<bool> mask = lampMask(scale);
    std::vector<GifPixelType> line(static_cast<size_t>(w));
    int elapsedMs = 0;
    for (size_t f = 0; ok && f < round.frames.size(); ++f) {
        const FaceFrame &frame = round.frames[f];
        // Each frame ends where the face's own clock says, to the hundredth.
        const int start = (elapsedMs + 5) / 10;
        elapsedMs += round.durationsMs[f];
        const int delay = std::max(1, (elapsedMs + 5) / 10 - start);
        GraphicsControlBlock control{};
        control.DisposalMode = DISPOSE_DO_NOT;
        control.DelayTime = delay;
        control.TransparentColor = NO_TRANSPARENT_COLOR;
        GifByteType controlBytes[4];
        EGifGCBToExtension(&control, controlBytes);
        ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, controlBytes) == GIF_OK
            && EGifPutImageDesc(gif, 0, 0, w, h, false, nullptr) == GIF_OK;
        for (int y = 0; ok && y < h; ++y) {
            const int row = y / scale, my = y % scale;
            for (int x = 0; x < w; ++x) {
                const int column = x / scale;
                line[size_t(x)] = !mask[size_t(my * scale + x % scale)] ? kBackground
                    : column < frame.width && frame.lit(row, column)    ? kLit
                                                                        : kDark;
            }
            ok = EGifPutLine(gif, line.data(), w) == GIF_OK;
        }
    }
    const int lastError = gif->Error;
    if (EGifCloseFile(gif, &error) != GIF_OK)
        ok = false;
    if (!ok)
        return fail(file.error() != QFileDevice::NoError ? file.errorString()
                                                         : gifError(lastError ? lastError : error));
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

} // namespace glintag
