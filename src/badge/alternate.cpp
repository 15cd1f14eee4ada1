#include "badge/alternate.h"

namespace glintag {

namespace {

constexpr int kLastBox = kSlotCount - 1;

} // namespace

void enforceAlternateRun(AlternateBoxes &boxes)
{
    int start = -1;
    for (int i = 0; i < kLastBox; ++i) {
        if (boxes.isChecked(i)) {
            start = i;
            break;
        }
    }
    if (start < 0) {
        boxes.setChecked(kLastBox, false);
        boxes.setEnabled(kLastBox, false);
        return;
    }
    for (int k = start + 1;; ++k) {
        boxes.setEnabled(k, true);
        if (k == kLastBox)
            return;
        if (boxes.isChecked(k))
            continue;
        for (int j = k + 1; j <= kLastBox; ++j) {
            boxes.setChecked(j, false);
            boxes.setEnabled(j, false);
        }
        return;
    }
}

namespace {

// Boxes that behave like the window's: a change of value re-enters the rule.
class ValueBoxes : public AlternateBoxes {
public:
    bool isChecked(int i) const override { return checked[i]; }
    void setChecked(int i, bool value) override
    {
        if (checked[i] == value)
            return;
        checked[i] = value;
        enforceAlternateRun(*this);
    }
    void setEnabled(int, bool) override {}

    std::array<bool, kSlotCount> checked{};
};

} // namespace

std::array<bool, kSlotCount> checkAlternateBoxes(const std::array<bool, kSlotCount> &wanted)
{
    ValueBoxes boxes;
    for (int i = 0; i < kSlotCount; ++i)
        if (wanted[i])
            boxes.setChecked(i, true);
    return boxes.checked;
}

AlternateGroup findAlternateGroup(const std::array<bool, kSlotCount> &checked)
{
    AlternateGroup group;
    int first = -1;
    for (int i = 0; i < kSlotCount; ++i) {
        if (checked[i]) {
            first = i;
            break;
        }
    }
    if (first < 0)
        return group;
    group.first = std::uint8_t(first);
    for (int j = first; j < kSlotCount; ++j)
        if (checked[j])
            ++group.count;
    return group;
}

} // namespace glintag
