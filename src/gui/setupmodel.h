#pragma once

#include "badge/badgesetup.h"

#include <QObject>

namespace glintag {

// What a change to one slot means to those who show it: its dots (text,
// Select, Loop Lamp, mode, Image, picture) are rendered again; vertical
// writing renders nothing in the window but changes what Send would carry;
// speed, Flash and Alternate change only how the face plays the dots.
enum class SlotChange {
    None,
    Dots,
    Vertical,
    Play,
};
SlotChange slotChange(const SlotSetup &before, const SlotSetup &after);

// Which of the settings changed.
struct SettingsChange {
    bool language = false, model = false, brightness = false;
};

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
    // While slotChanged() or settingsChanged() is being delivered: what changed.
    SlotChange lastSlotChange() const { return m_slotChange; }
    SettingsChange lastSettingsChange() const { return m_settingsChange; }

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
    SlotChange m_slotChange = SlotChange::None;
    SettingsChange m_settingsChange;
};

} // namespace glintag
