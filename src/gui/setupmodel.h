#pragma once

#include "badge/badgesetup.h"

#include <QObject>

namespace glintag {

// The one setup the window edits. The slot rows and the settings row write
// each change into it as it happens; the rendering, the gauge, the preview,
// the title's mark, the undo history, the setup files and Send read it here,
// so nothing reads the sixteen rows back. It holds no widgets, and it is not
// responsible for when to render or what a change means to the badge: those
// who listen decide.
class SetupModel : public QObject {
    Q_OBJECT

public:
    explicit SetupModel(QObject *parent = nullptr) : QObject(parent) {}

    const BadgeSetup &setup() const { return m_setup; }

    // Each signals only when something changed.
    void setSlot(int slot, const SlotSetup &value);
    void setSettings(int language, const QString &model, const QString &brightness);
    // A whole setup at once (start-up, Open, New, Undo): every slot that
    // differs signals, then the settings if they differ.
    void replace(const BadgeSetup &setup);

Q_SIGNALS:
    void slotChanged(int slot);
    // The language, the model or the brightness.
    void settingsChanged();

private:
    BadgeSetup m_setup;
};

} // namespace glintag
