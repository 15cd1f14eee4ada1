#pragma once

#include <QFont>
#include <QStringList>
#include <QWidget>

namespace glintag {

// The window's layout is designed in twips, 15 to a pixel.
constexpr int px(int twips) { return twips / 15; }

// Only the family follows the language's character set; face size, weight
// and style stay as designed.
inline void setCharset(QWidget *w, const QStringList &families)
{
    QFont f = w->font();
    f.setFamilies(families);
    w->setFont(f);
}

inline void setLeft(QWidget *w, int x) { w->move(x, w->y()); }

} // namespace glintag
