#include "columnlayout.h"

#include "languages.h"

namespace glintag {

namespace {

constexpr int kVShwLeft = 9180;
constexpr int kVShwWidth = 735;
constexpr int kChkVShowLeft = 9420;

}  // namespace

const ColumnLayout &columnsWithoutVerticalShow()
{
    static const ColumnLayout layout = {
        8640, 9420, 10320, 11880, 12540, 13680, 975,  // headers, LblAlternate width
        8880, 9480, 10320, 12000, 12960, 14040,       // row controls
        kVShwLeft, kVShwWidth, kChkVShowLeft, false,
    };
    return layout;
}

const ColumnLayout &columnsWithVerticalShow()
{
    static const ColumnLayout layout = {
        8520, 10020, 10920, 12360, 12840, 13920, 735,  // headers, LblAlternate width
        8760, 10080, 10920, 12540, 13320, 14160,       // row controls
        kVShwLeft, kVShwWidth, kChkVShowLeft, true,
    };
    return layout;
}

const ColumnLayout &columnLayoutFor(int uiLanguage)
{
    return languageRecord(uiLanguage).showsVerticalShow ? columnsWithVerticalShow()
                                                        : columnsWithoutVerticalShow();
}

}  // namespace glintag
