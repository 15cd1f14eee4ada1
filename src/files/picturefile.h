#pragma once

#include "badge/limits.h"

#include <QImage>
#include <QSize>
#include <QString>

namespace glintag {

// A slot's canvas (kCanvasWidth × kCanvasHeight), black where nothing is drawn.
constexpr QImage::Format kCanvasFormat = QImage::Format_RGB32;

// Pictures whose decoder cannot stop at the canvas edge are decoded whole
// (and a progressive JPEG keeps all its coefficients); beyond this many
// bytes of decoded data they are refused rather than letting a forged
// header ask for gigabytes. Together with the copies the loader makes this
// keeps a load within 64 MB.
constexpr qint64 kMaxFullDecodeBytes = 48LL * 1024 * 1024;

// A 4096 x 12 RGB32 canvas, all black.
QImage makeBlankCanvas();

// Decodes a BMP, PNG, GIF, JPEG or ICO file (recognised by its content, not its
// name) and makes it the canvas: black background, the picture unscaled at
// (0, 0) over it, cut at 4096 columns and 12 rows, transparent parts black
// (and so is a GIF's screen outside its first frame). A file cut short, a
// FIFO, device or folder, and a header that asks for more memory than
// kMaxFullDecodeBytes are refused without blocking. On failure returns
// false, leaves the canvas untouched and puts the cause in plain words into
// *reason (if given).
bool loadPictureOntoCanvas(const QString &path, QImage &canvas, QString *reason = nullptr);

// Writes the canvas, all 4096 x 12 pixels, as a BMP file under exactly that
// name whatever its extension. The file is replaced atomically: on failure
// returns false with the system's reason in *reason and whatever was under
// the name before is still there. A folder, device, pipe or socket under
// the name, or a read-only file, is refused rather than replaced.
bool saveCanvasAsBmp(const QImage &canvas, const QString &path, QString *reason = nullptr);

// The bytes saveCanvasAsBmp writes for the canvas; the same canvas always
// gives the same bytes.
QByteArray canvasAsBmp(const QImage &canvas);

} // namespace glintag
