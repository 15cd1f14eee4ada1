#include "gui/setupmodel.h"

namespace glintag {

void SetupModel::setSlot(int slot, const SlotSetup &value)
{
    if (slot < 0 || slot >= kSlotCount || m_setup.slots[size_t(slot)] == value)
        return;
    m_setup.slots[size_t(slot)] = value;
    Q_EMIT slotChanged(slot);
}

void SetupModel::setSettings(int language, const QString &model, const QString &brightness)
{
    if (m_setup.language == language && m_setup.model == model && m_setup.brightness == brightness)
        return;
    m_setup.language = language;
    m_setup.model = model;
    m_setup.brightness = brightness;
    Q_EMIT settingsChanged();
}

void SetupModel::replace(const BadgeSetup &setup)
{
    for (int i = 0; i < kSlotCount; ++i)
        setSlot(i, setup.slots[size_t(i)]);
    setSettings(setup.language, setup.model, setup.brightness);
}

} // namespace glintag
