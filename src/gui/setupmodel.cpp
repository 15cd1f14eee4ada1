#include "gui/setupmodel.h"

#include <utility>

namespace glintag {

SlotChange slotChange(const SlotSetup &before, const SlotSetup &after)
{
    if (before.text != after.text || before.select != after.select || before.border != after.border
        || before.mode != after.mode || before.image != after.image || before.picture != after.picture)
        return SlotChange::Dots;
    if (before.vertical != after.vertical)
        return SlotChange::Vertical;
    if (before == after)
        return SlotChange::None;
    return SlotChange::Play;
}

void SetupModel::setSlot(int slot, const SlotSetup &value)
{
    if (slot < 0 || slot >= kSlotCount)
        return;
    SlotSetup &now = m_setup.slots[size_t(slot)];
    const SlotChange change = slotChange(now, value);
    if (change == SlotChange::None)
        return;
    now = value;
    const SlotChange outer = std::exchange(m_slotChange, change);
    Q_EMIT slotChanged(slot);
    m_slotChange = outer; // a listener may have set off changes of its own
}

void SetupModel::setSettings(int language, const QString &model, const QString &brightness)
{
    SettingsChange change;
    change.language = m_setup.language != language;
    change.model = m_setup.model != model;
    change.brightness = m_setup.brightness != brightness;
    if (!change.language && !change.model && !change.brightness)
        return;
    m_setup.language = language;
    m_setup.model = model;
    m_setup.brightness = brightness;
    const SettingsChange outer = std::exchange(m_settingsChange, change);
    Q_EMIT settingsChanged();
    m_settingsChange = outer;
}

void SetupModel::replace(const BadgeSetup &setup)
{
    for (int i = 0; i < kSlotCount; ++i)
        setSlot(i, setup.slots[size_t(i)]);
    setSettings(setup.language, setup.model, setup.brightness);
}

} // namespace glintag
