#include "badge/badgesetup.h"

namespace glintag {

bool SlotSetup::operator==(const SlotSetup &o) const
{
    return text == o.text && select == o.select && speed == o.speed && mode == o.mode && flash == o.flash
        && border == o.border && image == o.image && picture == o.picture && vertical == o.vertical
        && alternate == o.alternate;
}

bool BadgeSetup::operator==(const BadgeSetup &o) const
{
    return slots == o.slots && language == o.language && model == o.model && brightness == o.brightness;
}

AlternateGroup BadgeSetup::alternateGroup() const
{
    std::array<bool, kSlotCount> checked{};
    for (int i = 0; i < kSlotCount; ++i)
        checked[i] = slots[i].alternate;
    return findAlternateGroup(checked);
}

BadgeSetup defaultBadgeSetup()
{
    BadgeSetup setup;
    for (int i = 0; i < kSlotCount; ++i)
        setup.slots[i].text = QStringLiteral("MESSAGE%1").arg(i + 1);
    return setup;
}

int speedPosition(const QString &speedText)
{
    for (int n = kSpeedMin; n <= kSpeedMax; ++n)
        if (speedText == QString::number(n))
            return n - kSpeedMin;
    return -1;
}

} // namespace glintag
