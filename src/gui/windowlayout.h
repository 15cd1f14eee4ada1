#pragma once

#include <QFont>
#include <QStringList>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;

namespace glintag {

// The slot frame and the settings row are laid out in twips, 15 to a pixel,
// so the column layouts of every language share one grid.
constexpr int px(int twips)
{
    return twips / 15;
}

// Every combo box of the window is this tall, in twips.
constexpr int kComboHeight = 345;

// Only the family follows the language's character set; each control keeps
// its own size, weight and style.
inline void setCharset(QWidget *w, const QStringList &families)
{
    QFont f = w->font();
    f.setFamilies(families);
    w->setFont(f);
}

inline void setLeft(QWidget *w, int x)
{
    w->move(x, w->y());
}

// The window's building blocks, placed in pixels on their parent.
QLabel *makeLabel(QWidget *parent, const QString &text, int x, int y, int w, int h,
                  Qt::Alignment align = Qt::AlignLeft | Qt::AlignTop);
// An editable box that inserts nothing the user types.
QComboBox *makeCombo(QWidget *parent, const QStringList &items, int x, int y, int w);
QCheckBox *makeCheck(QWidget *parent, int x, int y);

// The box is editable, but only its items may stand: text that is none of
// them (a typed "9" would reach the badge as another option's bits) goes
// back to the item chosen before when editing ends, by Enter or when the
// box loses focus.
void acceptOnlyItems(QComboBox *box);

// "1" ... "n", the items of the speed and brightness boxes.
QStringList numberItems(int n);

} // namespace glintag
