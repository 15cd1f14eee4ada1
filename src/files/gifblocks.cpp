#include "files/gifblocks.h"

#include "files/bytewindow.h"

namespace glintag {

namespace {

qint64 colourTableBytes(int flags)
{
    return (flags & 0x80) ? 3 << ((flags & 7) + 1) : 0;
}

} // namespace

GifBlocks walkGifBlocks(QFile &file, qint64 stopAfter)
{
    GifBlocks walk;
    ByteWindow bytes(file);
    const int width = bytes.word(6), height = bytes.word(8), screenFlags = bytes.at(10);
    if (screenFlags < 0) {
        walk.end = GifBlocks::End::CutShort;
        return walk;
    }
    walk.extent = QSize(width, height);

    // Skips a chain of sub-blocks starting at pos; where it ends, or -1.
    auto skipSubBlocks = [&bytes](qint64 pos) -> qint64 {
        for (int len; (len = bytes.at(pos)) > 0;)
            pos += 1 + len;
        return bytes.at(pos) == 0 ? pos + 1 : -1;
    };
    qint64 pos = 13 + colourTableBytes(screenFlags);
    while (walk.frames < stopAfter) {
        const int block = bytes.at(pos);
        if (block == 0x21) { // extension: label, then sub-blocks
            pos = skipSubBlocks(pos + 2);
        } else if (block == 0x2C) {
            const int left = bytes.word(pos + 1), top = bytes.word(pos + 3);
            const int w = bytes.word(pos + 5), h = bytes.word(pos + 7);
            const int imageFlags = bytes.at(pos + 9);
            if (imageFlags < 0) {
                walk.end = GifBlocks::End::CutShort;
                return walk;
            }
            const QRect frame(left, top, w, h);
            walk.extent = walk.extent.expandedTo(QSize(left + w, top + h));
            // The code size byte, then the image data.
            pos = skipSubBlocks(pos + 10 + colourTableBytes(imageFlags) + 1);
            if (pos >= 0 && walk.frames++ == 0)
                walk.firstFrame = frame;
        } else {
            walk.end = block == 0x3B ? GifBlocks::End::Trailer
                : block < 0          ? GifBlocks::End::CutShort
                                     : GifBlocks::End::Damaged;
            return walk;
        }
        if (pos < 0) {
            walk.end = GifBlocks::End::CutShort;
            return walk;
        }
    }
    return walk;
}

} // namespace glintag
