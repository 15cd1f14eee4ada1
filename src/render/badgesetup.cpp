#include "render/badgesetup.h"

#include "render/messagebuilder.h"

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

RenderRequest renderRequest(const BadgeSetup &setup)
{
    RenderRequest request;
    request.uiLanguage = setup.language;
    request.model = setup.model;
    for (int i = 0; i < kSlotCount; ++i) {
        const SlotSetup &slot = setup.slots[i];
        SlotRenderInput &in = request.slot[i];
        in.selected = slot.select;
        in.image = slot.image;
        in.text = slot.text;
        in.vertical = slot.vertical;
        in.modeIndex = slot.mode;
        if (slot.image)
            in.canvas = slot.picture;
    }
    return request;
}

int speedPosition(const QString &speedText)
{
    for (int n = 1; n <= 8; ++n)
        if (speedText == QString::number(n))
            return n - 1;
    return -1;
}

} // namespace glintag
