#pragma once

namespace glintag {

// Fixed geometry of the slot frame Frame9 the column layouts must fit, in twips.
constexpr int kSlotFrameWidth = 14775;
constexpr int kCheckBoxWidth = 255;
constexpr int kComSpdWidth = 615;
constexpr int kComModWidth = 1335;
constexpr int kTxtMsgLeft = 840;
constexpr int kTxtMsgWidth = 7695;

// Left edges in twips inside Frame9 of the movable column headers (top 240)
// and of the movable controls of every slot row. Fields carry the name of
// the control they place.
struct ColumnLayout {
    int LblImage;
    int LblSpeed;
    int LblMode;
    int LblFlash;
    int LblLoopLamp;
    int LblAlternate;
    int LblAlternateWidth;  // the only width that differs between layouts

    int ChkImg;
    int ComSpd;
    int ComMod;
    int ChkFls;
    int ChkRun;
    int ChkAlt;

    // The vertical-show column never moves; only its visibility changes.
    int LblVShw;
    int LblVShwWidth;
    int ChkVShow;
    bool verticalShowVisible;
};

// The English layout: vertical-show column hidden.
const ColumnLayout &columnsWithoutVerticalShow();

// The East Asian layout (ArrangeColumns): the Image column moves left and
// Speed..Alternate move right to make room for the vertical-show column.
const ColumnLayout &columnsWithVerticalShow();

// The layout that goes with a ComLanguage position (English for any value
// outside 0..3).
const ColumnLayout &columnLayoutFor(int uiLanguage);

}  // namespace glintag
