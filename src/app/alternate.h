#pragma once

#include <array>
#include <cstdint>

namespace glintag {

// The sixteen Alternate boxes as the rule sees them. Changing a box's value
// may re-enter EnforceAlternateRun (as a check box's change notification
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
// run's first box are never touched; box 15 alone never starts a run.
void EnforceAlternateRun(AlternateBoxes &boxes);

struct AlternateGroup {
    std::uint8_t beginMsg = 0;  // AlternateBeginMsg
    std::uint8_t msgNum = 0;    // AlternateMsgNum
};

// First checked box and the number of checked boxes from there on.
AlternateGroup FindAlternateGroup(const std::array<bool, 16> &checked);

} // namespace glintag
