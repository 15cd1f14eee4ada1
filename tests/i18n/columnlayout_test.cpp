#include "i18n/columnlayout.h"

#include <gtest/gtest.h>

#include <vector>

using namespace glintag;

TEST(i18nColumnLayout, FitsTheFrameWithoutOverlap)
{
    for (const ColumnLayout *c : {&columnsWithoutVerticalShow(), &columnsWithVerticalShow()}) {
        SCOPED_TRACE(c->verticalShowVisible);
        // A slot row from left to right: {left, width}.
        std::vector<std::pair<int, int>> row = {{kTxtMsgLeft, kTxtMsgWidth}, {c->ChkImg, kCheckBoxWidth}};
        if (c->verticalShowVisible)
            row.push_back({c->ChkVShow, kCheckBoxWidth});
        row.insert(row.end(), {{c->ComSpd, kComSpdWidth}, {c->ComMod, kComModWidth},
                               {c->ChkFls, kCheckBoxWidth}, {c->ChkRun, kCheckBoxWidth},
                               {c->ChkAlt, kCheckBoxWidth}, {kSlotFrameWidth, 0}});
        for (size_t i = 0; i + 1 < row.size(); ++i)
            EXPECT_LE(row[i].first + row[i].second, row[i + 1].first) << "control " << i;

        // Headers in column order, each control a little right of its header's left.
        const std::pair<int, int> columns[] = {
            {c->LblImage, c->ChkImg}, {c->LblSpeed, c->ComSpd},    {c->LblMode, c->ComMod},
            {c->LblFlash, c->ChkFls}, {c->LblLoopLamp, c->ChkRun}, {c->LblAlternate, c->ChkAlt},
        };
        for (size_t i = 0; i < 6; ++i) {
            EXPECT_GE(columns[i].second - columns[i].first, 0) << "column " << i;
            EXPECT_LT(columns[i].second - columns[i].first, 600) << "column " << i;
            EXPECT_LT(columns[i].first, i < 5 ? columns[i + 1].first : kSlotFrameWidth);
        }
        EXPECT_LE(c->LblAlternate + c->LblAlternateWidth, kSlotFrameWidth);
        if (c->verticalShowVisible) {
            EXPECT_LT(c->LblImage, c->LblVShw);
            EXPECT_LE(c->LblVShw + c->LblVShwWidth, c->LblSpeed);
        }
    }
}

TEST(i18nColumnLayout, VerticalShowMakesRoomBetweenImageAndSpeed)
{
    const ColumnLayout &off = columnsWithoutVerticalShow();
    const ColumnLayout &on = columnsWithVerticalShow();
    EXPECT_FALSE(off.verticalShowVisible);
    EXPECT_TRUE(on.verticalShowVisible);
    EXPECT_EQ(on.LblImage, off.LblImage - 120);
    EXPECT_EQ(on.ChkImg, off.ChkImg - 120);
    const std::pair<int, int> movedRight[] = {
        {off.LblSpeed, on.LblSpeed},       {off.ComSpd, on.ComSpd}, {off.LblMode, on.LblMode},
        {off.ComMod, on.ComMod},           {off.LblFlash, on.LblFlash}, {off.ChkFls, on.ChkFls},
        {off.LblLoopLamp, on.LblLoopLamp}, {off.ChkRun, on.ChkRun}, {off.LblAlternate, on.LblAlternate},
        {off.ChkAlt, on.ChkAlt},
    };
    for (const auto &m : movedRight)
        EXPECT_GT(m.second, m.first);
    EXPECT_EQ(on.LblVShw, off.LblVShw);  // the column itself never moves
    EXPECT_EQ(on.ChkVShow, off.ChkVShow);
}
