#pragma once

namespace glintag {

// Fixed geometry of the slot frame that the column layouts must fit, in twips.
constexpr int kSlotFrameWidth = 14775;
constexpr int kCheckBoxWidth = 255;
constexpr int kSpeedBoxWidth = 615;
constexpr int kModeBoxWidth = 1335; // as designed; both layouts widen it
constexpr int kTextBoxLeft = 840;
constexpr int kTextBoxWidth = 7695;

// Left edges in twips inside the slot frame of the movable column headers (top 240)
// and of the movable controls of every slot row. Fields carry the name of
// the control they place.
struct ColumnLayout {
    int imageHeader;
    int speedHeader;
    int modeHeader;
    int flashHeader;
    int borderHeader;
    int alternateHeader;
    int alternateHeaderWidth; // the header widths that differ between layouts
    int modeBoxWidth;         // and the move-mode box's (with its header)

    int imageBox;
    int speedBox;
    int modeBox;
    int flashBox;
    int borderBox;
    int alternateBox;

    // The vertical-show column never moves; only its visibility changes.
    int verticalHeader;
    int verticalHeaderWidth;
    int verticalBox;
    bool verticalShowVisible;
};

// The English layout: vertical-show column hidden.
const ColumnLayout &columnsWithoutVerticalShow();

// The East Asian layout: the Image column moves left and
// Speed..Alternate move right to make room for the vertical-show column.
const ColumnLayout &columnsWithVerticalShow();

// The layout that goes with a languageBox position (English for any value
// outside 0..3).
const ColumnLayout &columnLayoutFor(int uiLanguage);

} // namespace glintag
