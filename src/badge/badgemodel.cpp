#include "badge/badgemodel.h"

namespace glintag {

const BadgeModel &badgeModel(const QString &text)
{
    for (const BadgeModel &m : kBadgeModels)
        if (text == QLatin1String(m.name))
            return m;
    return kModelR1;
}

} // namespace glintag
