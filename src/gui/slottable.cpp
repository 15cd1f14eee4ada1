#include "gui/slottable.h"

#include "gui/setupmodel.h"
#include "gui/slotrow.h"
#include "gui/windowlayout.h"
#include "i18n/columnlayout.h"

#include <QCheckBox>
#include <QLabel>

namespace glintag {

namespace {

// Row controls inside the slot frame, in twips.
constexpr int kRowTop = 600;
constexpr int kRowPitch = 480;

// Header labels: top and height. Their left edges come with the column
// layout; the widths given here keep neighbours from overlapping in both
// layouts.
constexpr int kHeaderTop = 240;
constexpr int kHeaderHeight = 255;

class TableAlternateBoxes : public AlternateBoxes {
public:
    explicit TableAlternateBoxes(const SlotTable &table) : m_table(table) {}
    bool isChecked(int i) const override { return m_table.row(i).alternateBox()->isChecked(); }
    // Raises the box's change notification, which re-enters the rule.
    void setChecked(int i, bool checked) override { m_table.row(i).alternateBox()->setChecked(checked); }
    void setEnabled(int i, bool enabled) override { m_table.row(i).alternateBox()->setEnabled(enabled); }

private:
    const SlotTable &m_table;
};

} // namespace

SlotTable::SlotTable(SetupModel &model, QWidget *parent) : QFrame(parent), m_model(model)
{
    setFrameStyle(QFrame::Box | QFrame::Sunken);

    const int ht = px(kHeaderTop), hh = px(kHeaderHeight);
    const auto centre = Qt::AlignHCenter | Qt::AlignTop;
    m_selectHeader = makeLabel(this, QStringLiteral("Select"), px(120), ht, px(735), hh, centre);
    m_textHeader = makeLabel(this, QStringLiteral("Show Text or Image"), px(1200), ht, px(6975), hh, centre);
    m_imageHeader = makeLabel(this, QStringLiteral("Image"), px(8640), ht, px(615), hh, centre);
    m_verticalHeader = makeLabel(this, QStringLiteral("VShow"), px(9180), ht, px(735), hh, centre);
    m_verticalHeader->hide();
    m_speedHeader = makeLabel(this, QStringLiteral("Speed"), px(9480), ht, px(900), hh, centre);
    m_modeHeader = makeLabel(this, QStringLiteral("Move Mode"), px(10320), ht, px(kModeBoxWidth), hh, centre);
    m_flashHeader = makeLabel(this, QStringLiteral("Flash"), px(11880), ht, px(480), hh, centre);
    m_borderHeader = makeLabel(this, QStringLiteral("Loop Lamp"), px(12540), ht, px(1080), hh, centre);
    m_alternateHeader = makeLabel(this, QStringLiteral("Alternate"), px(13680), ht, px(975), hh, centre);

    for (int i = 0; i < kSlotCount; ++i) {
        auto *r = new SlotRow(i, this);
        r->setGeometry(0, px(kRowTop + kRowPitch * i), px(kSlotFrameWidth), px(kComboHeight));
        m_rows[size_t(i)] = r;
        // Every change of the row goes into the model, which tells its
        // listeners what kind of change it was.
        const auto write = [this, r, i] { m_model.setSlot(i, r->setup()); };
        for (auto changed : {&SlotRow::contentEdited, &SlotRow::playEdited, &SlotRow::verticalEdited,
                             &SlotRow::pictureChanged})
            connect(r, changed, this, write);
        connect(r, &SlotRow::alternateToggled, this, [this, write] {
            write();
            keepAlternateRun();
        });
        connect(r, &SlotRow::loadClicked, this, [this, i] { Q_EMIT loadClicked(i); });
        connect(r, &SlotRow::saveClicked, this, [this, i] { Q_EMIT saveClicked(i); });
        connect(r, &SlotRow::editRequested, this, [this, i] { Q_EMIT editRequested(i); });
    }
    // What the rows hold as built, before any edit.
    for (int i = 0; i < kSlotCount; ++i)
        m_model.setSlot(i, row(i).setup());
}

void SlotTable::setSlots(const std::array<SlotSetup, kSlotCount> &slots)
{
    for (int i = 0; i < kSlotCount; ++i)
        row(i).setSetup(slots[size_t(i)]);
}

void SlotTable::placeColumns(const ColumnLayout &layout)
{
    setLeft(m_imageHeader, px(layout.imageHeader));
    setLeft(m_speedHeader, px(layout.speedHeader));
    setLeft(m_modeHeader, px(layout.modeHeader));
    setLeft(m_flashHeader, px(layout.flashHeader));
    setLeft(m_borderHeader, px(layout.borderHeader));
    m_alternateHeader->resize(px(layout.alternateHeaderWidth), m_alternateHeader->height());
    m_modeHeader->resize(px(layout.modeBoxWidth), m_modeHeader->height());
    setLeft(m_alternateHeader, px(layout.alternateHeader));
    m_verticalHeader->setVisible(layout.verticalShowVisible);
    for (SlotRow *r : m_rows)
        r->placeColumns(layout);
}

int SlotTable::slotHolding(const QWidget *widget) const
{
    for (int i = 0; widget && i < kSlotCount; ++i)
        if (row(i).isAncestorOf(widget))
            return i;
    return -1;
}

QList<QWidget *> SlotTable::tabChain() const
{
    QList<QWidget *> chain;
    for (const SlotRow *r : m_rows)
        chain << r->tabChain();
    return chain;
}

void SlotTable::keepAlternateRun()
{
    TableAlternateBoxes boxes(*this);
    enforceAlternateRun(boxes);
}

} // namespace glintag
