#include "gui/doteditordialog.h"

#include "badge/dotcanvas.h"
#include "files/icons.h"
#include "gui/accessiblecombo.h"
#include "gui/dotgrid.h"
#include "gui/texttool.h"
#include "gui/windowlayout.h"
#include "i18n/editortexts.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QKeySequence>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>

#include <algorithm>

namespace glintag {

namespace {

// A picture of the icon's dots for the icon list, two pixels a dot.
QPixmap iconPixmap(const Icon &icon)
{
    QImage image(icon.width * 2, kRowCount * 2, QImage::Format_RGB32);
    image.fill(Qt::black);
    for (int y = 0; y < kRowCount; ++y)
        for (int x = 0; x < icon.width; ++x)
            if (icon.lit(x, y))
                image.setPixel(x * 2, y * 2, 0xFFFF2828u), image.setPixel(x * 2 + 1, y * 2, 0xFFFF2828u),
                    image.setPixel(x * 2, y * 2 + 1, 0xFFFF2828u), image.setPixel(x * 2 + 1, y * 2 + 1, 0xFFFF2828u);
    return QPixmap::fromImage(image);
}

// Arrows on the shift buttons read in every language.
const char16_t *const kShiftGlyphs[] = {u"←", u"→", u"↑", u"↓"};

} // namespace

DotEditorDialog::DotEditorDialog(QWidget *parent, int slot, const QImage &canvas, int frameWidth, int uiLanguage) :
    QDialog(parent), m_slot(slot), m_frameWidth(frameWidth)
{
    m_grid = new DotGrid(nullptr);
    m_grid->setFrameWidth(frameWidth);
    m_grid->setCanvas(canvas);
    m_scroller = new QScrollArea(this);
    m_scroller->setWidget(m_grid);
    m_scroller->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_scroller->setMinimumHeight(kCanvasHeight * 8 + 24);
    m_icons = new QComboBox(this);
    for (const Icon &icon : builtInIcons())
        m_icons->addItem(QIcon(iconPixmap(icon)), icon.name);
    m_icons->setIconSize(QSize(28, 24));
    m_iconLabel = new QLabel(this);
    m_iconLabel->setBuddy(m_icons);
    m_frameLabel = new QLabel(this);
    m_textTool = new TextTool(this);
    buildButtons();

    auto *tools = new QHBoxLayout;
    for (Button b : {Pen, Line, Rect, Clear, Invert, ShiftLeft, ShiftRight, ShiftUp, ShiftDown, Fit, Undo, Redo})
        tools->addWidget(m_buttons[b]);
    tools->addStretch();
    auto *icons = new QHBoxLayout;
    icons->addWidget(m_iconLabel);
    icons->addWidget(m_icons);
    icons->addWidget(m_buttons[InsertIcon]);
    icons->addStretch();
    m_frameRow = new QWidget(this);
    auto *frames = new QHBoxLayout(m_frameRow);
    frames->setContentsMargins(0, 0, 0, 0);
    frames->addWidget(m_frameLabel);
    for (Button b : {AddFrame, DuplicateFrame, DeleteFrame, FrameEarlier, FrameLater})
        frames->addWidget(m_buttons[b]);
    frames->addStretch();
    m_frameRow->setVisible(frameWidth > 0);
    auto *end = new QHBoxLayout;
    end->addStretch();
    end->addWidget(m_buttons[Apply]);
    end->addWidget(m_buttons[Cancel]);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(tools);
    layout->addWidget(m_scroller, 1);
    layout->addLayout(icons);
    layout->addWidget(m_textTool);
    layout->addWidget(m_frameRow);
    layout->addLayout(end);

    connect(m_grid, &DotGrid::changed, this, [this] { refresh(); });
    connect(m_textTool, &TextTool::placeRequested, this, [this](const QImage &dots) {
        const QPoint at = m_grid->cursor();
        m_grid->edit([&](QImage &c) {
            for (int y = 0; y < dots.height(); ++y)
                for (int x = 0; x < dots.width(); ++x)
                    setDot(c, at.x() + x, y, dotAt(dots, x, y));
        });
        m_grid->setCursor(QPoint(at.x() + dots.width(), at.y()));
        m_grid->setFocus();
    });
    connect(m_grid, &DotGrid::cursorMoved, this, [this](QPoint dot) {
        m_scroller->ensureVisible(dot.x() * m_grid->pitch() + m_grid->pitch() / 2, dot.y() * m_grid->pitch(),
                                  m_grid->pitch() * 2, m_grid->pitch());
        refresh();
    });
    resize(900, 420);
    m_grid->setFocus();
    applyLanguage(uiLanguage);
    refresh();
}

void DotEditorDialog::buildButtons()
{
    for (int b = 0; b < ButtonCount; ++b) {
        m_buttons[b] = new QPushButton(this);
        m_buttons[b]->setAutoDefault(false);
    }
    for (Button b : {Pen, Line, Rect})
        m_buttons[b]->setCheckable(true);
    m_buttons[Pen]->setChecked(true);
    auto choose = [this](Button b, DotGrid::Tool tool) {
        connect(m_buttons[b], &QPushButton::clicked, this, [this, b, tool] {
            m_grid->setTool(tool);
            for (Button t : {Pen, Line, Rect})
                m_buttons[t]->setChecked(t == b);
            m_grid->setFocus();
        });
    };
    choose(Pen, DotGrid::Tool::Pen);
    choose(Line, DotGrid::Tool::Line);
    choose(Rect, DotGrid::Tool::Rect);

    // Clear, invert and shift act on the frames shown in Animation, on the
    // whole canvas otherwise.
    auto span = [this] { return m_frameWidth > 0 ? m_frames * m_frameWidth : kCanvasWidth; };
    auto onClick = [this](Button b, auto action) { connect(m_buttons[b], &QPushButton::clicked, this, action); };
    onClick(Clear, [this, span] { m_grid->edit([&](QImage &c) { clearColumns(c, 0, span()); }); });
    // Inverting a whole canvas would light all 4,096 columns and fill the
    // badge's memory; outside Animation it inverts the drawing up to its
    // last lit byte or the cursor, whichever is further.
    auto drawing = [this, span] {
        if (m_frameWidth > 0)
            return span();
        const int end = std::max(usedColumns(m_grid->canvas()), m_grid->cursor().x() + 1);
        return (end + 7) / 8 * 8;
    };
    onClick(Invert, [this, drawing] { m_grid->edit([&](QImage &c) { invertColumns(c, 0, drawing()); }); });
    const QPoint steps[] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
    for (int k = 0; k < 4; ++k) {
        const QPoint d = steps[k];
        onClick(Button(ShiftLeft + k),
                [this, span, d] { m_grid->edit([&](QImage &c) { shiftColumns(c, 0, span(), d.x(), d.y()); }); });
        m_buttons[ShiftLeft + k]->setText(QString::fromUtf16(kShiftGlyphs[k]));
    }
    onClick(Fit, [this] { zoomToFit(); });
    onClick(Undo, [this] { m_grid->undo(); });
    onClick(Redo, [this] { m_grid->redo(); });
    // Shortcuts of their own, not the buttons': a button's shortcut clicks
    // it after a visible delay, and these take every binding of the system.
    connect(new QShortcut(QKeySequence::Undo, this), &QShortcut::activated, this, [this] { m_grid->undo(); });
    connect(new QShortcut(QKeySequence::Redo, this), &QShortcut::activated, this, [this] { m_grid->redo(); });
    onClick(InsertIcon, [this] {
        const Icon *icon = findIcon(m_icons->currentText());
        if (!icon)
            return;
        const int x = m_grid->cursor().x();
        m_grid->edit([&](QImage &c) { stampIcon(c, *icon, x); });
        m_grid->setCursor(QPoint(x + icon->width, m_grid->cursor().y()));
        m_grid->setFocus();
    });
    for (Button b : {AddFrame, DuplicateFrame, DeleteFrame, FrameEarlier, FrameLater})
        onClick(b, [this, b] { frameEdit(b); });
    onClick(Apply, [this] { Q_EMIT applied(m_grid->canvas()); });
    onClick(Cancel, [this] { reject(); });
}

void DotEditorDialog::frameEdit(Button b)
{
    if (m_frameWidth <= 0)
        return;
    const BadgeModel model{"", m_frameWidth, false};
    const int at = m_grid->cursor().x() / m_frameWidth;
    const int count = m_frames;
    bool done = false;
    m_grid->edit([&](QImage &c) {
        switch (b) {
        case AddFrame:
            done = insertBlankFrame(c, model, count, at + 1);
            break;
        case DuplicateFrame:
            done = duplicateFrame(c, model, count, at);
            break;
        case DeleteFrame:
            done = count > 1 && deleteFrame(c, model, count, at);
            break;
        case FrameEarlier:
            done = moveFrame(c, model, count, at, at - 1);
            break;
        case FrameLater:
            done = moveFrame(c, model, count, at, at + 1);
            break;
        default:
            break;
        }
    });
    if (!done)
        return;
    const int shift = b == FrameEarlier ? -1 : b == DeleteFrame ? 0 : 1;
    m_frames = count + (b == AddFrame || b == DuplicateFrame ? 1 : b == DeleteFrame ? -1 : 0);
    const int next = std::clamp(at + shift, 0, m_frames - 1);
    m_grid->setCursor(QPoint(next * m_frameWidth + m_grid->cursor().x() % m_frameWidth, m_grid->cursor().y()));
    refresh();
}

void DotEditorDialog::zoomToFit()
{
    const int columns = std::max(m_frameWidth > 0 ? m_frames * m_frameWidth : usedColumns(m_grid->canvas()), 16);
    const QSize room = m_scroller->viewport()->size();
    m_grid->setPitch(std::min(room.width() / columns, room.height() / kCanvasHeight));
    m_scroller->horizontalScrollBar()->setValue(0);
}

void DotEditorDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    zoomToFit();
}

void DotEditorDialog::refresh()
{
    if (m_frameWidth > 0) {
        const BadgeModel model{"", m_frameWidth, false};
        m_frames = std::max(m_frames, frameCount(m_grid->canvas(), model));
        const EditorTexts &t = editorTexts(m_language);
        m_frameLabel->setText(t.frames.arg(m_grid->cursor().x() / m_frameWidth + 1).arg(m_frames).arg(m_frameWidth));
    }
    m_buttons[Undo]->setEnabled(m_grid->canUndo());
    m_buttons[Redo]->setEnabled(m_grid->canRedo());
}

void DotEditorDialog::applyLanguage(int uiLanguage)
{
    m_language = uiLanguage;
    const EditorTexts &t = editorTexts(uiLanguage);
    setWindowTitle(t.title.arg(m_slot + 1));
    // Each button's Alt key, kept apart from the text tool's (X, F, H, E).
    const struct {
        Button button;
        const QString *text;
        char key;
    } captions[] = {
        {Pen, &t.pen, 'P'},
        {Line, &t.line, 'L'},
        {Rect, &t.rect, 'R'},
        {Clear, &t.clear, 'C'},
        {Invert, &t.invert, 'I'},
        {Fit, &t.fit, 'Z'},
        {Undo, &t.undo, 'U'},
        {Redo, &t.redo, 'O'},
        {InsertIcon, &t.insertIcon, 'S'},
        {AddFrame, &t.addFrame, 'A'},
        {DuplicateFrame, &t.duplicateFrame, 'D'},
        {DeleteFrame, &t.deleteFrame, 'T'},
        {FrameEarlier, &t.frameEarlier, 'M'},
        {FrameLater, &t.frameLater, 'V'},
        {Apply, &t.apply, 'Y'},
        {Cancel, &t.cancel, 'N'},
    };
    for (const auto &c : captions) {
        m_buttons[c.button]->setText(withMnemonic(*c.text, c.key));
        m_buttons[c.button]->setAccessibleName(*c.text);
    }
    const std::pair<Button, const QString *> tips[] = {
        {Pen, &t.penTip},
        {Line, &t.lineTip},
        {Rect, &t.rectTip},
        {ShiftLeft, &t.shiftLeft},
        {ShiftRight, &t.shiftRight},
        {ShiftUp, &t.shiftUp},
        {ShiftDown, &t.shiftDown},
        {Fit, &t.fitTip},
        {InsertIcon, &t.insertIconTip},
    };
    for (const auto &[b, text] : tips)
        m_buttons[b]->setToolTip(*text);
    for (Button b : {ShiftLeft, ShiftRight, ShiftUp, ShiftDown})
        m_buttons[b]->setAccessibleName(m_buttons[b]->toolTip());
    m_iconLabel->setText(withMnemonic(t.icon, 'K'));
    nameComboBox(m_icons, spokenCaption(t.icon));
    m_textTool->applyLanguage(uiLanguage);
    m_grid->setToolTip(t.keysTip);
    m_grid->setAccessibleName(t.gridName);
    m_scroller->horizontalScrollBar()->setAccessibleName(t.gridScrollName);
    m_scroller->verticalScrollBar()->setAccessibleName(t.gridScrollName);
    refresh();
}

} // namespace glintag
