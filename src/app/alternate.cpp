#include "alternate.h"

namespace glintag {

void EnforceAlternateRun(AlternateBoxes &boxes)
{
    int start = -1;
    for (int i = 0; i < 15; ++i) {
        if (boxes.isChecked(i)) {
            start = i;
            break;
        }
    }
    if (start < 0) {
        boxes.setChecked(15, false);
        boxes.setEnabled(15, false);
        return;
    }
    for (int k = start + 1;; ++k) {
        boxes.setEnabled(k, true);
        if (k == 15)
            return;
        if (boxes.isChecked(k))
            continue;
        for (int j = k + 1; j <= 15; ++j) {
            boxes.setChecked(j, false);
            boxes.setEnabled(j, false);
        }
        return;
    }
}

AlternateGroup FindAlternateGroup(const std::array<bool, 16> &checked)
{
    AlternateGroup group;
    int first = -1;
    for (int i = 0; i < 16; ++i) {
        if (checked[i]) {
            first = i;
            break;
        }
    }
    if (first < 0)
        return group;
    group.beginMsg = std::uint8_t(first);
    for (int j = first; j < 16; ++j)
        if (checked[j])
            ++group.msgNum;
    return group;
}

} // namespace glintag
