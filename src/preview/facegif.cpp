#include "preview/facegif.h"

#include "badge/badgemodel.h"
#include "badge/badgesetup.h"
#include "badge/rendering.h"
#include "files/outputfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>

#include <gif_lib.h>

#include <algorithm>
#include <map>

namespace glintag {

namespace {

int appendToBytes(GifFileType *gif, const GifByteType *bytes, int length)
{
    static_cast<QByteArray *>(gif->UserData)->append(reinterpret_cast<const char *>(bytes), length);
    return length;
}

// One lamp cell of each kind, as the command line's still picture draws it
// (a round lamp four fifths of the pitch across, smoothed), as palette
// indexes; the palette holds every colour the two cells use.
struct LampCells {
    std::vector<GifPixelType> lit, dark;
    std::vector<GifColorType> palette;
};

LampCells lampCells(int scale)
{
    LampCells cells;
    std::map<QRgb, GifPixelType> index;
    const auto cell = [&](unsigned colour, std::vector<GifPixelType> &out) {
        QImage image(scale, scale, QImage::Format_RGB32);
        image.fill(Qt::black);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor::fromRgb(colour));
        const double d = std::max(1.0, scale * 0.8), inset = (scale - d) / 2;
        p.drawEllipse(QRectF(inset, inset, d, d));
        p.end();
        for (int y = 0; y < scale; ++y)
            for (int x = 0; x < scale; ++x) {
                const QRgb rgb = image.pixel(x, y) & 0xFFFFFFu;
                auto found = index.find(rgb);
                if (found == index.end()) {
                    found = index.emplace(rgb, GifPixelType(cells.palette.size())).first;
                    cells.palette.push_back(
                        {GifByteType(qRed(rgb)), GifByteType(qGreen(rgb)), GifByteType(qBlue(rgb))});
                }
                out.push_back(found->second);
            }
    };
    cell(kLitLamp, cells.lit);
    cell(kDarkLamp, cells.dark);
    // A GIF palette has a power of two entries.
    size_t size = 2;
    while (size < cells.palette.size())
        size *= 2;
    cells.palette.resize(size, GifColorType{0, 0, 0});
    return cells;
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

std::optional<QByteArray> faceGif(const FaceRound &round, int scale, QString *reason)
{
    const auto fail = [reason](const QString &why) -> std::optional<QByteArray> {
        if (reason)
            *reason = why;
        return std::nullopt;
    };
    if (round.frames.empty() || round.width <= 0)
        return fail(QStringLiteral("Nothing is shown on the face."));
    scale = std::clamp(scale, 2, 16);
    QByteArray bytes;

    int error = 0;
    GifFileType *gif = EGifOpen(&bytes, appendToBytes, &error);
    if (!gif)
        return fail(gifError(error));
    const int w = round.width * scale, h = kFaceRows * scale;
    const LampCells cells = lampCells(scale);
    // GIF89a, for the delays and the loop; the header goes out with the screen.
    EGifSetGifVersion(gif, true);
    ColorMapObject *map = GifMakeMapObject(int(cells.palette.size()), cells.palette.data());
    bool ok = map && EGifPutScreenDesc(gif, w, h, GifBitSize(int(cells.palette.size())), 0, map) == GIF_OK;
    GifFreeMapObject(map);
    // Loop for ever, as the badge does.
    static const GifByteType netscape[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
    static const GifByteType loop[] = {1, 0, 0};
    ok = ok && EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK
        && EGifPutExtensionBlock(gif, sizeof netscape, netscape) == GIF_OK
        && EGifPutExtensionBlock(gif, sizeof loop, loop) == GIF_OK && EGifPutExtensionTrailer(gif) == GIF_OK;

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
            // A lamp's line of pixels at a time.
            GifPixelType *out = line.data();
            for (int column = 0; column < round.width; ++column, out += scale) {
                const bool lit = column < frame.width && frame.lit(row, column);
                std::copy_n((lit ? cells.lit : cells.dark).data() + my * scale, scale, out);
            }
            ok = EGifPutLine(gif, line.data(), w) == GIF_OK;
        }
    }
    const int lastError = gif->Error;
    if (EGifCloseFile(gif, &error) != GIF_OK)
        ok = false;
    if (!ok)
        return fail(gifError(lastError ? lastError : error));
    return bytes;
}

bool writeFaceGif(const FaceRound &round, const QString &path, int scale, QString *reason)
{
    const auto bytes = faceGif(round, scale, reason);
    if (!bytes)
        return false;
    const OutputResult written = writeOutputFile(QFile::encodeName(path), *bytes);
    if (!written.ok() && reason)
        *reason = written.reason();
    return written.ok();
}

} // namespace glintag
