#include "gui/slotrow.h"

#include "badge/limits.h"
#include "badge/movemode.h"
#include "gui/stripwidgets.h"
#include "gui/windowlayout.h"
#include "i18n/columnlayout.h"
#include "i18n/languages.h"
#include "render/messagebuilder.h" // slotColour

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

namespace glintag {

namespace {

constexpr int kTextHeight = 330; // twips: the text box and the picture side

// The modes this slot offers (Animation only in slot 1's list).
QStringList moveModeItems(int slot)
{
    QStringList modes;
    for (int k = 0; k < moveModeCount(slot); ++k)
        modes << languageRecord(UiEnglish).moveModes[size_t(k)];
    return modes;
}

} // namespace

SlotRow::SlotRow(int slot, QWidget *table) : QWidget(table), m_slot(slot)
{
    m_select = makeCheck(this, px(360), 0);

    m_text = new QLineEdit(QStringLiteral("Message%1").arg(slot + 1), this);
    m_text->setGeometry(px(kTextBoxLeft), 0, px(kTextBoxWidth), px(kTextHeight));
    QPalette pal = m_text->palette();
    pal.setColor(QPalette::Text, QColor(slotColour(slot)));
    m_text->setPalette(pal);

    // The picture strip that takes the text box's place in image mode.
    m_picture = new QFrame(this);
    m_picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_picture->setLineWidth(2);
    m_picture->setGeometry(px(840), 0, px(4920), px(kTextHeight));
    // The inner kPanView × 18 area clips the canvas.
    auto *clip = new QWidget(m_picture);
    clip->setGeometry(2, 2, px(4920) - 4, px(kTextHeight) - 4);
    clip->setAutoFillBackground(true);
    m_canvas = new CanvasBox(clip);
    m_canvas->move(3, 3);
    m_canvas->setDrawnColour(slotColour(slot));
    m_canvas->changed = [this] { Q_EMIT pictureChanged(); };

    m_pan = new QScrollBar(Qt::Horizontal, this);
    m_pan->setGeometry(px(5730), 0, px(405), px(kTextHeight));
    m_pan->setRange(kPanHome, kPanEnd);
    m_pan->setValue(kPanHome);
    m_pan->setSingleStep(8);
    m_pan->setPageStep(kPanView);
    m_pan->setFocusPolicy(Qt::StrongFocus); // a Tab stop: the arrow keys pan

    m_load = new QPushButton(QStringLiteral("Load"), this);
    m_load->setGeometry(px(6240), 0, px(1095), px(kTextHeight));
    m_save = new QPushButton(QStringLiteral("Save"), this);
    m_save->setGeometry(px(7440), 0, px(1095), px(kTextHeight));
    m_picture->hide();
    m_pan->hide();
    m_load->hide();
    m_save->hide();

    m_image = makeCheck(this, px(8880), 0);
    m_vertical = makeCheck(this, px(9420), 0);
    m_vertical->hide();
    m_speed = makeCombo(this, numberItems(kSpeedMax), px(9480), 0, px(kSpeedBoxWidth));
    m_speed->setCurrentIndex(3);
    acceptOnlyItems(m_speed);
    m_mode = makeCombo(this, moveModeItems(slot), px(10320), 0, px(kModeBoxWidth));
    m_flash = makeCheck(this, px(12000), 0);
    m_border = makeCheck(this, px(12960), 0);
    m_alternate = makeCheck(this, px(14040), 0);

    connect(m_text, &QLineEdit::textChanged, this, &SlotRow::contentEdited);
    connect(m_select, &QCheckBox::toggled, this, &SlotRow::contentEdited);
    connect(m_border, &QCheckBox::toggled, this, &SlotRow::contentEdited);
    connect(m_mode, &QComboBox::currentIndexChanged, this, [this] {
        // Long mode names are wider than the box: show their beginning.
        m_mode->lineEdit()->setCursorPosition(0);
        Q_EMIT contentEdited();
    });
    connect(m_image, &QCheckBox::toggled, this, [this](bool picture) {
        showPictureSide(picture);
        Q_EMIT contentEdited();
    });
    connect(m_speed, &QComboBox::currentTextChanged, this, &SlotRow::playEdited);
    connect(m_flash, &QCheckBox::toggled, this, &SlotRow::playEdited);
    connect(m_vertical, &QCheckBox::toggled, this, &SlotRow::verticalEdited);
    connect(m_alternate, &QCheckBox::toggled, this, &SlotRow::alternateToggled);
    connect(m_pan, &QScrollBar::valueChanged, this, [this] { pan(); });
    connect(m_load, &QPushButton::clicked, this, &SlotRow::loadClicked);
    connect(m_save, &QPushButton::clicked, this, &SlotRow::saveClicked);
    for (QObject *part : {static_cast<QObject *>(m_picture), static_cast<QObject *>(clip),
                          static_cast<QObject *>(m_canvas), static_cast<QObject *>(m_pan)})
        part->installEventFilter(this);
}

bool SlotRow::eventFilter(QObject *watched, QEvent *event)
{
    const bool doubleClick = event->type() == QEvent::MouseButtonDblClick && watched != m_pan;
    const bool f2 = event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_F2;
    if (doubleClick || f2) {
        Q_EMIT editRequested();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

SlotSetup SlotRow::setup() const
{
    SlotSetup slot;
    slot.text = m_text->text();
    slot.select = m_select->isChecked();
    slot.speed = m_speed->currentText();
    slot.mode = m_mode->currentIndex();
    slot.flash = m_flash->isChecked();
    slot.border = m_border->isChecked();
    slot.image = m_image->isChecked();
    slot.picture = m_canvas->canvas();
    slot.vertical = m_vertical->isChecked();
    slot.alternate = m_alternate->isChecked();
    return slot;
}

void SlotRow::setSetup(const SlotSetup &slot)
{
    m_text->setText(slot.text);
    m_select->setChecked(slot.select);
    m_speed->setCurrentIndex(m_speed->findText(slot.speed));
    m_mode->setCurrentIndex(slot.mode);
    m_flash->setChecked(slot.flash);
    m_border->setChecked(slot.border);
    m_image->setChecked(slot.image);
    m_vertical->setChecked(slot.vertical);
    if (!slot.picture.isNull() && slot.picture != m_canvas->canvas())
        m_canvas->setCanvas(slot.picture);
    // Last, so that rows set in ascending order check a kept Alternate run
    // one box at a time, each check running the table's rule as a click
    // would.
    m_alternate->setChecked(slot.alternate);
}

void SlotRow::showPicture(const QImage &canvas)
{
    m_pan->setValue(kPanHome);
    pan();
    m_canvas->setCanvas(canvas);
}

void SlotRow::placeColumns(const ColumnLayout &layout)
{
    setLeft(m_image, px(layout.imageBox));
    setLeft(m_speed, px(layout.speedBox));
    setLeft(m_mode, px(layout.modeBox));
    m_mode->resize(px(layout.modeBoxWidth), m_mode->height());
    setLeft(m_flash, px(layout.flashBox));
    setLeft(m_border, px(layout.borderBox));
    setLeft(m_alternate, px(layout.alternateBox));
    m_vertical->setVisible(layout.verticalShowVisible);
}

QList<QWidget *> SlotRow::tabChain() const
{
    return {m_select,   m_text,  m_pan,  m_load,  m_save,   m_image,
            m_vertical, m_speed, m_mode, m_flash, m_border, m_alternate};
}

void SlotRow::showPictureSide(bool picture)
{
    m_text->setVisible(!picture);
    m_picture->setVisible(picture);
    m_load->setVisible(picture);
    m_save->setVisible(picture);
    m_pan->setVisible(picture);
}

void SlotRow::pan()
{
    m_canvas->move(-m_pan->value(), m_canvas->y());
}

} // namespace glintag
