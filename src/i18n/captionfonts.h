#pragma once

#include <QFontDatabase>
#include <QStringList>

namespace glintag {

// The script Qt's font database files a font character set's letters under.
QFontDatabase::WritingSystem writingSystemForCharset(int charset);

// The outline faces installed for the character set's script, in the font
// database's order. Needs a running QGuiApplication.
QStringList installedFaces(int charset);

// The families the captions ask for: the preferred ones of
// fontFamiliesForCharset, then every other face the machine has for the
// character set's script (facesForScript, as the font database lists them),
// so a machine without the preferred faces still draws letters, not boxes.
// Latin keeps its preferred list: the default face covers it everywhere.
// Pure, so it can be checked without a running application.
QStringList captionFamilies(int charset, const QStringList &facesForScript);

} // namespace glintag
