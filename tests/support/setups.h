#pragma once
// Setups the sending tests and benchmarks start from.

#include "badge/badgesetup.h"

#include <QStringList>

namespace glintag {

// Only the first texts.size() slots selected, holding these texts; the rest
// as a first start has them.
inline BadgeSetup setupWithTexts(const QStringList &texts)
{
    BadgeSetup setup = defaultBadgeSetup();
    for (int i = 0; i < kSlotCount; ++i) {
        setup.slots[size_t(i)].select = i < texts.size();
        setup.slots[size_t(i)].text = texts.value(i);
    }
    return setup;
}

} // namespace glintag
