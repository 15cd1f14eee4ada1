#pragma once

#include "badge/dotbuffer.h"

#include <QStringList>

namespace glintag {

// Lengths lowered so that all runs fit one kRowLimit-byte row, slot 0 first.
RowBytes clampRowBytes(const RowBytes &rendered);

// What one rendering run made of a setup. The gauge, the preview, the loss
// warnings and the upload all read the same run, so none of them can show
// or send anything the others do not.
struct Rendering {
    DotBuffer dots;
    RowBytes rendered{};      // bytes per row each slot's drawing takes
    RowBytes sent{};          // the same within the row limit: what goes out
    QStringList fontFolders;  // where the run looked for its font files, in order
    QStringList missingFonts; // the font files it found in none of them

    // Takes the drawn lengths and the sent lengths that follow from them.
    void setLengths(const RowBytes &drawn);
};

} // namespace glintag
