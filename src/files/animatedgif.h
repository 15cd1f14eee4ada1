#pragma once

#include <QImage>
#include <QString>

namespace glintag {

// An animated GIF laid out as animation frames on a slot's canvas.
struct GifAnimation {
    QImage canvas;         // kCanvasWidth × kCanvasHeight, lit dots white (see fitIntoFrame)
    int framesInFile = 0;  // complete ones, as far as the file could be read
    bool cutShort = false; // the file ends inside a frame (which is left out)
    int framesPlaced = 0;  // at most kCanvasWidth / frameWidth
};

// Fits a picture into a frameWidth × 12 box at column x of the canvas:
// scaled keeping its aspect ratio, centred, transparent parts black, and
// every dot lit or not by the usual rule on the scaled picture: lit dots
// white, unlit ones in the scaled picture's colour. The box is cleared
// first.
void fitIntoFrame(const QImage &picture, QImage &canvas, int x, int frameWidth);

// How many complete frames a GIF file holds: 0 for anything else or a file
// that cannot be read. Reads the blocks only, decodes nothing.
int gifFrameCount(const QString &path);

// Decodes the GIF frame by frame, each as the animation shows it (earlier
// frames under it as their disposal leaves them), and fits each into a
// frame from column 0 on. Stops at the frames that fit in the canvas. A
// file that is no GIF, holds no frame, or whose screen three times over
// (the decoder's two and the fitting's copy) would pass kMaxFullDecodeBytes
// is refused with the cause in *reason. The screen counted is the one the
// header claims grown to hold every frame, so a small or empty screen
// gets no large frame past the bound.
bool loadGifAnimation(const QString &path, int frameWidth, GifAnimation *animation, QString *reason = nullptr);

} // namespace glintag
