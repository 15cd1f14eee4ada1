#include "badge/badgemodel.h"

#include <gtest/gtest.h>

using namespace glintag;

TEST(BadgeModel, OnlyTheExactTextR2IsTheWideModel)
{
    const struct {
        const char *text, *model;
        int faceWidth;
    } cases[] = {{"R2", "R2", 48}, {"R1", "R1", 40}, {"r2", "R1", 40}, {"R2 ", "R1", 40}, {"", "R1", 40}};
    for (const auto &c : cases) {
        const BadgeModel &m = badgeModel(QLatin1String(c.text));
        EXPECT_STREQ(m.name, c.model) << '"' << c.text << '"';
        EXPECT_EQ(m.faceWidth, c.faceWidth) << '"' << c.text << '"';
    }
}
