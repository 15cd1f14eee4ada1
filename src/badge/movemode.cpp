#include "badge/movemode.h"

namespace glintag {

namespace {

constexpr bool rowsInListOrder()
{
    for (int i = 0; i < kMoveModeCount; ++i)
        if (listPosition(kMoveModes[i].mode) != i)
            return false;
    return true;
}
static_assert(rowsInListOrder(), "kMoveModes lists each mode at its own list position");

constexpr bool firstSlotOnlyModesComeLast()
{
    for (int i = 1; i < kMoveModeCount; ++i)
        if (kMoveModes[i - 1].firstSlotOnly && !kMoveModes[i].firstSlotOnly)
            return false;
    return true;
}
static_assert(firstSlotOnlyModesComeLast(), "every slot's list is a leading part of the full list");

} // namespace

std::optional<MoveMode> moveModeAt(int position)
{
    if (position < 0 || position >= kMoveModeCount)
        return std::nullopt;
    return kMoveModes[position].mode;
}

int moveModeCount(int slot)
{
    int count = 0;
    for (const MoveModeFacts &m : kMoveModes)
        count += offersMoveMode(slot, m.mode) ? 1 : 0;
    return count;
}

bool offersMoveMode(int slot, MoveMode mode)
{
    return slot == 0 || !moveModeFacts(mode).firstSlotOnly;
}

std::optional<MoveMode> moveModeNamed(const QString &name)
{
    for (const MoveModeFacts &m : kMoveModes)
        if (name == QLatin1String(m.name))
            return m.mode;
    return std::nullopt;
}

std::optional<MoveMode> moveModeFromSettings(int number)
{
    for (const MoveModeFacts &m : kMoveModes)
        if (number == m.settingsNumber)
            return m.mode;
    return std::nullopt;
}

} // namespace glintag
