#include "app/alternate.h"

#include <gtest/gtest.h>

#include <string>

using namespace glintag;

namespace {

// Sixteen boxes that, like check boxes in the window, notify on a change of
// value; the notification re-runs the rule nested, as the window's does.
class Boxes : public AlternateBoxes {
public:
    std::array<bool, 16> checked{};
    std::array<bool, 16> enabled;
    int depth = 0, maxDepth = 0;

    Boxes() { enabled.fill(true); }
    bool isChecked(int i) const override { return checked[i]; }
    void setChecked(int i, bool c) override
    {
        if (checked[i] == c)
            return;
        checked[i] = c;
        changed();
    }
    void setEnabled(int i, bool e) override { enabled[i] = e; }

    // A click: the box's value flips, then the rule runs.
    void click(int i) { setChecked(i, !checked[i]); }

    void changed()
    {
        ++depth;
        maxDepth = std::max(maxDepth, depth);
        EnforceAlternateRun(*this);
        --depth;
    }

    // "c" checked, "." unchecked enabled, "x" unchecked disabled, "C" checked disabled
    std::string state() const
    {
        std::string s;
        for (int i = 0; i < 16; ++i)
            s += checked[i] ? (enabled[i] ? 'c' : 'C') : (enabled[i] ? '.' : 'x');
        return s;
    }
};

AlternateGroup group(const Boxes &b) { return FindAlternateGroup(b.checked); }

} // namespace

TEST(Alternate, RuleAndGroupFromClicks)
{
    struct Case {
        const char *name;
        std::vector<int> clicks;
        const char *state;
        int begin, count;
    } cases[] = {
        {"check 6 from empty", {6}, "......c.xxxxxxxx", 6, 1},
        {"check 15 alone", {15}, "...............x", 0, 0},
        {"run 3..6, uncheck 4", {3, 4, 5, 6, 4}, "...c.xxxxxxxxxxx", 3, 1},
        {"run 3..6, uncheck 3", {3, 4, 5, 6, 3}, "....ccc.xxxxxxxx", 4, 3},
        {"run 3..6, check 1", {3, 4, 5, 6, 1}, ".c.xxxxxxxxxxxxx", 1, 1},
        {"run 3..6, check 2", {3, 4, 5, 6, 2}, "..ccccc.xxxxxxxx", 2, 5},
        {"run 0..1 then cleared", {0, 1, 0, 1}, "...xxxxxxxxxxxxx", 0, 0},
        {"run 14..15", {14, 15}, "..............cc", 14, 2},
        {"whole row", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}, "cccccccccccccccc", 0, 16},
        {"nothing", {}, "................", 0, 0},
    };
    for (const Case &c : cases) {
        Boxes b;
        for (int i : c.clicks) {
            ASSERT_TRUE(b.enabled[i]) << c.name << ": box " << i << " cannot be clicked";
            b.click(i);
        }
        EXPECT_EQ(b.state(), c.state) << c.name;
        const AlternateGroup g = group(b);
        EXPECT_EQ(g.beginMsg, c.begin) << c.name;
        EXPECT_EQ(g.msgNum, c.count) << c.name;
    }
}

TEST(Alternate, SecondRunChangesNothingAndNestingSettles)
{
    Boxes b;
    for (int i : {2, 3, 4, 5})
        b.click(i);
    b.click(3);   // cuts the run; unchecking 4 and 5 re-enters the rule
    EXPECT_GE(b.maxDepth, 2);
    const std::string after = b.state();
    EnforceAlternateRun(b);
    EXPECT_EQ(b.state(), after);
}

TEST(Alternate, BoxesBelowTheRunAreNeverTouched)
{
    Boxes b;
    b.enabled[1] = false;   // left disabled by an earlier run
    b.checked[4] = true;
    b.changed();
    EXPECT_FALSE(b.enabled[1]);
    EXPECT_EQ(b.state().substr(0, 6), ".x..c.");
}
