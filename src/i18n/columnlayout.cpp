#include "i18n/columnlayout.h"

#include "i18n/languages.h"

namespace glintag {

namespace {

constexpr int kVerticalHeaderLeft = 9180;
constexpr int kVerticalHeaderWidth = 735;
constexpr int kVerticalBoxLeft = 9420;

} // namespace

const ColumnLayout &columnsWithoutVerticalShow()
{
    static const ColumnLayout layout = {
        8640,
        9420,
        10320,
        11880,
        12540,
        13680,
        975, // headers, alternateHeader width
        // "Curtain Apart" is cut in the designed box once the font is drawn
        // at twice the size; the room up to the Flash header takes it.
        1560,
        8880,
        9480,
        10320,
        12000,
        12960,
        14040, // row controls
        kVerticalHeaderLeft,
        kVerticalHeaderWidth,
        kVerticalBoxLeft,
        false,
    };
    return layout;
}

const ColumnLayout &columnsWithVerticalShow()
{
    static const ColumnLayout layout = {
        8520,
        10020,
        10800,
        12450, // Flash, with its box, a little right of the wider mode box
        12840,
        // The Alternate header stands at the frame's right edge, apart from
        // the Korean Loop Lamp header, the widest there is.
        14040,
        735, // headers, alternateHeader width
        // "アニメーション" and "아래로 이동" need the room the designed
        // box lacks, so the box also starts nearer the speed box.
        1740,
        8760,
        10080,
        10800,
        12630,
        13320,
        14160, // row controls
        kVerticalHeaderLeft,
        kVerticalHeaderWidth,
        kVerticalBoxLeft,
        true,
    };
    return layout;
}

const ColumnLayout &columnLayoutFor(int uiLanguage)
{
    return languageRecord(uiLanguage).showsVerticalShow ? columnsWithVerticalShow() : columnsWithoutVerticalShow();
}

} // namespace glintag
