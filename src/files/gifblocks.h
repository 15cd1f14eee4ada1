#pragma once

#include <QRect>
#include <QSize>

#include <limits>

class QFile;

namespace glintag {

// What a GIF's chain of blocks holds, found by following it without
// decoding a pixel. The file is read in large pieces, so a chain of
// millions of tiny blocks costs one pass over its bytes.
struct GifBlocks {
    enum class End {
        Trailer,  // the chain ends where it should
        CutShort, // the file ends inside a block
        Damaged,  // a byte where a block should start that starts none
    };
    qint64 frames = 0; // frames whose data is all there
    QRect firstFrame;  // where the first frame lies on the screen; null when there is none
    // The logical screen the header gives, grown to hold every frame met:
    // whatever the header says, a decoder may build a frame this large.
    QSize extent;
    End end = End::Trailer; // also when the walk stopped after stopAfter frames
};

// Follows the chain from the header on, to the trailer or to the end of
// frame number stopAfter (1 for the first), whichever comes first. The
// caller has checked the signature.
GifBlocks walkGifBlocks(QFile &file, qint64 stopAfter = std::numeric_limits<qint64>::max());

} // namespace glintag
