#include "badge/badgemodel.h"
#include "badge/movemode.h"

#include <gtest/gtest.h>

#include <set>

using namespace glintag;

// Each mode is found again from its list position, its command-line name and
// its settings number; the wire codes fit the option byte's three mode bits
// without two modes sharing one.
TEST(MoveMode, EveryModeRoundTripsAndHasItsOwnWireCode)
{
    std::set<int> codes, numbers;
    for (int position = 0; position < kMoveModeCount; ++position) {
        const std::optional<MoveMode> mode = moveModeAt(position);
        ASSERT_TRUE(mode) << position;
        const MoveModeFacts &m = moveModeFacts(*mode);
        EXPECT_EQ(listPosition(*mode), position);
        EXPECT_EQ(moveModeNamed(QLatin1String(m.name)), mode) << m.name;
        EXPECT_EQ(moveModeFromSettings(m.settingsNumber), mode) << m.name;
        EXPECT_LT(m.wireCode, 8) << m.name;
        codes.insert(m.wireCode);
        numbers.insert(m.settingsNumber);
    }
    EXPECT_EQ(codes.size(), size_t(kMoveModeCount));
    EXPECT_EQ(numbers.size(), size_t(kMoveModeCount));

    for (int position : {kNoMoveMode, kMoveModeCount})
        EXPECT_FALSE(moveModeAt(position)) << position;
    for (const char *name : {"Left", "pile up", "", "to Left"})
        EXPECT_FALSE(moveModeNamed(QLatin1String(name))) << name;
    for (int number : {kNoMoveMode, kMoveModeCount})
        EXPECT_FALSE(moveModeFromSettings(number)) << number;
}

TEST(BadgeModel, OnlyTheExactTextR2IsTheWideModel)
{
    const struct {
        const char *text, *model;
    } cases[] = {{"R2", "R2"}, {"R1", "R1"}, {"r2", "R1"}, {"R2 ", "R1"}, {"", "R1"}};
    for (const auto &c : cases)
        EXPECT_STREQ(badgeModel(QLatin1String(c.text)).name, c.model) << '"' << c.text << '"';
}
