#pragma once

#include <QFont>
#include <QStringList>
#include <QWidget>

class QAbstractScrollArea;
class QAbstractSlider;
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

// The caption with an Alt+key mnemonic: the key's letter marked where the
// caption has it, otherwise "(&K)" after the caption, before a closing
// colon (the East Asian custom).
QString withMnemonic(const QString &caption, char key);
// The same, but only where the caption has the letter: the settings row's
// labels have no room for "(&K)" before the box drawn over their end.
QString withMnemonicInPlace(const QString &caption, char key);
// A caption as a screen reader should say it: no mnemonic mark, no closing
// colon, and no spacing between East Asian characters.
QString spokenCaption(QString caption);

// A wheel turned over a box or a bar of `root` that lacks the keyboard
// focus scrolls `page` instead of changing the value: on a small screen the
// user scrolls past sixteen rows of boxes, and a value changed on the way
// would be sent and saved. The boxes no longer take the focus from the wheel.
void keepWheelForScrolling(QWidget *root, QAbstractScrollArea *page);

// The arrow, Page and Home/End keys move the bar while it has the focus
// (a scroll bar takes no keys of its own).
void moveWithKeys(QAbstractSlider *bar);

// What the window scrolls: the controls at their designed size, top left,
// and the preview in the room that is left. The preview goes beside the
// controls when the window is wide enough for its stacked form (short, wide
// screens), otherwise below them; either way every spare pixel is the
// preview's, and the page never gets smaller than the two need, so the
// window scrolls to whatever does not fit.
class WindowPage : public QWidget {
public:
    static constexpr int kGap = 8;

    // Takes both as children. The preview's least room, beside and below.
    WindowPage(QWidget *controls, QWidget *preview, QSize besideMinimum, QSize belowMinimum);

    // The scroll area's outer size decides the arrangement, so a scroll bar
    // coming or going cannot flip it back and forth.
    void fitTo(const QSize &outer, int scrollBarExtent);
    bool previewBeside() const { return m_beside; }
    // The banner above the slots, which gives way on a screen too short for
    // the controls, so the rows and the status line stay in view: the
    // controls then move up by `trim` pixels and the banner is hidden.
    void setBanner(QWidget *banner, int trim);
    bool bannerTrimmed() const { return m_trim > 0; }
    int bannerTrim() const { return m_bannerTrim; }
    // The least page for an arrangement.
    QSize minimumFor(bool beside) const;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void placePreview();

    QWidget *m_controls;
    QWidget *m_preview;
    QSize m_besideMinimum, m_belowMinimum;
    bool m_beside = false;
    QWidget *m_banner = nullptr;
    int m_bannerTrim = 0;
    int m_trim = 0; // what the controls are moved up by now
};

// "1" ... "n", the items of the speed and brightness boxes.
QStringList numberItems(int n);

} // namespace glintag
