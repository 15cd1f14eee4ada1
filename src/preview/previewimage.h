#pragma once

#include "badge/dotbuffer.h"

#include <QImage>
#include <QList>

namespace glintag {

// The dots of the given slots as one picture, a strip of twelve dot rows per
// slot from top to bottom, each `rowBytes[slot]` bytes wide. Scale 1 is one
// pixel per dot, white lit on black, so the picture reads back as the bits;
// larger scales draw each dot as a round lamp that many pixels apart, lit
// amber or dark, with one empty lamp row between strips.
QImage previewImage(const DotBuffer &dots, const RowBytes &rowBytes, const QList<int> &slots, int scale);

} // namespace glintag
