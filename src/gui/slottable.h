#pragma once

#include "badge/badgesetup.h"

#include <QFrame>
#include <QList>

#include <array>

class QLabel;

namespace glintag {

class SetupModel;
class SlotRow;
struct ColumnLayout;

// The sunken frame of the sixteen slot rows under their column headers. It
// places the movable columns for a layout, keeps the Alternate boxes one
// unbroken run, writes each row's change into the setup model and tells
// which slot a click belongs to.
class SlotTable : public QFrame {
    Q_OBJECT

public:
    // Every row's change is written into `model`.
    SlotTable(SetupModel &model, QWidget *parent);

    SlotRow &row(int i) const { return *m_rows[size_t(i)]; }

    // Row by row in ascending order, every assignment raising its change.
    void setSlots(const std::array<SlotSetup, kSlotCount> &slots);

    void placeColumns(const ColumnLayout &layout);
    // Captions, faces, tooltips and the column layout of an interface
    // language (applylanguage.cpp).
    void applyLanguage(int uiLanguage, const QStringList &families);
    // The slot whose row holds the widget; -1 for none.
    int slotHolding(const QWidget *widget) const;
    // Row by row, left to right as the columns stand.
    QList<QWidget *> tabChain() const;

    // Column headers above the slot rows.
    QLabel *selectHeader() const { return m_selectHeader; }
    QLabel *textHeader() const { return m_textHeader; }
    QLabel *imageHeader() const { return m_imageHeader; }
    QLabel *verticalHeader() const { return m_verticalHeader; }
    QLabel *speedHeader() const { return m_speedHeader; }
    QLabel *modeHeader() const { return m_modeHeader; }
    QLabel *flashHeader() const { return m_flashHeader; }
    QLabel *borderHeader() const { return m_borderHeader; }
    QLabel *alternateHeader() const { return m_alternateHeader; }

Q_SIGNALS:
    void loadClicked(int slot);
    void saveClicked(int slot);
    void editRequested(int slot);

private:
    void keepAlternateRun();

    SetupModel &m_model;
    std::array<SlotRow *, kSlotCount> m_rows{};
    QLabel *m_selectHeader = nullptr, *m_textHeader = nullptr, *m_imageHeader = nullptr, *m_verticalHeader = nullptr,
           *m_speedHeader = nullptr, *m_modeHeader = nullptr, *m_flashHeader = nullptr, *m_borderHeader = nullptr,
           *m_alternateHeader = nullptr;
};

} // namespace glintag
