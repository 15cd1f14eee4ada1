#include "badge/alternate.h"

#include <gtest/gtest.h>

#include <string>

using namespace glintag;

namespace {

// Sixteen boxes that, like the window's check boxes, notify on a change of
// value; the notification re-runs the rule nested.
class Boxes : public AlternateBoxes {
public:
    std::array<bool, 16> checked{};
    std::array<bool, 16> enabled;

    Boxes() { enabled.fill(true); }
    bool isChecked(int i) const override { return checked[i]; }
    void setChecked(int i, bool c) override
    {
        if (checked[i] != c) {
            checked[i] = c;
            enforceAlternateRun(*this);
        }
    }
    void setEnabled(int i, bool e) override { enabled[i] = e; }

    // "c" checked, "." unchecked enabled, "x" unchecked disabled, "C" checked disabled
    std::string state() const
    {
        std::string s;
        for (int i = 0; i < 16; ++i)
            s += checked[i] ? (enabled[i] ? 'c' : 'C') : (enabled[i] ? '.' : 'x');
        return s;
    }
};

} // namespace

TEST(Alternate, RuleAndGroupFromClicks)
{
    const struct {
        std::vector<int> clicks;
        const char *state;
        int begin, count;
        int disabled = -1; // a box left disabled by an earlier run, below the new one
    } cases[] = {
        {{6}, "......c.xxxxxxxx", 6, 1},
        {{15}, "...............x", 0, 0}, // a group never starts at the last slot
        {{3, 4, 5, 6, 4}, "...c.xxxxxxxxxxx", 3, 1},
        {{3, 4, 5, 6, 3}, "....ccc.xxxxxxxx", 4, 3},
        {{3, 4, 5, 6, 1}, ".c.xxxxxxxxxxxxx", 1, 1},
        {{3, 4, 5, 6, 2}, "..ccccc.xxxxxxxx", 2, 5},
        {{0, 1, 0, 1}, "...xxxxxxxxxxxxx", 0, 0}, // only 0..2 clickable afterwards
        {{14, 15}, "..............cc", 14, 2},
        {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}, "cccccccccccccccc", 0, 16},
        {{4}, ".x..c.xxxxxxxxxx", 4, 1, 1}, // box 2 above the run is left as it was
    };
    for (const auto &c : cases) {
        Boxes b;
        if (c.disabled >= 0)
            b.enabled[c.disabled] = false;
        for (int i : c.clicks) {
            ASSERT_TRUE(b.enabled[i]) << c.state << ": box " << i << " cannot be clicked";
            b.setChecked(i, !b.checked[i]);
        }
        EXPECT_EQ(b.state(), c.state);
        enforceAlternateRun(b);
        EXPECT_EQ(b.state(), c.state) << "a second run changed something";
        const AlternateGroup g = findAlternateGroup(b.checked);
        EXPECT_EQ(g.first, c.begin) << c.state;
        EXPECT_EQ(g.count, c.count) << c.state;
    }
}
