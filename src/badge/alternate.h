#pragma once

#include "badge/limits.h"

#include <array>
#include <cstdint>

namespace glintag {

// The kSlotCount Alternate boxes as the rule sees them. Changing a box's value
// may re-enter enforceAlternateRun (as a check box's change notification
// does in the window); the rule is written to settle under that nesting.
class AlternateBoxes {
public:
    virtual ~AlternateBoxes() = default;
    virtual bool isChecked(int i) const = 0;
    virtual void setChecked(int i, bool checked) = 0;
    virtual void setEnabled(int i, bool enabled) = 0;
};

// Keeps the checked boxes one unbroken run: the box after the run is
// enabled, every box beyond it unchecked and disabled. Boxes below the
// run's first box are never touched; the last box alone never starts a run.
void enforceAlternateRun(AlternateBoxes &boxes);

struct AlternateGroup {
    std::uint8_t first = 0; // slot index of the run's first box
    std::uint8_t count = 0; // boxes checked from there on; 0 for no group
};

// First checked box and the number of checked boxes from there on.
AlternateGroup findAlternateGroup(const std::array<bool, kSlotCount> &checked);

// The boxes as the window leaves them when it checks `wanted` one by one in
// ascending order, every change re-entering the rule as a box's change
// notification does: what a stored group becomes once applied. Starts from
// unchecked, enabled boxes.
std::array<bool, kSlotCount> checkAlternateBoxes(const std::array<bool, kSlotCount> &wanted);

} // namespace glintag
