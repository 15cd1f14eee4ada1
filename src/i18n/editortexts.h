#pragma once

#include <QString>

#include <vector>

namespace glintag {

class FiveTexts;

// The dot editor's title, buttons, tooltips and status texts in one
// interface language.
struct EditorTexts {
    QString title;       // %1 the slot number as the user counts
    QString pen, penTip; // click or drag: light or clear dots
    QString line, lineTip;
    QString rect, rectTip;
    QString clear, invert;
    QString shiftLeft, shiftRight, shiftUp, shiftDown; // tooltips of the arrow buttons
    QString fit, fitTip;
    QString undo, redo;
    QString icon, insertIcon, insertIconTip;
    QString frames; // %1 frame at the cursor, %2 frames, %3 columns a frame
    QString addFrame, duplicateFrame, deleteFrame, frameEarlier, frameLater;
    QString keysTip;     // the grid's tooltip: mouse and keys
    QString stripTip;    // the picture strip's tooltip: how to open the editor
    QString gifQuestion; // %1 frames in the file, %2 frames that fit
    QString gifTitle;
    QString gifCapped;      // %1 frames in the file, %2 frames kept, %3 columns a frame
    QString gridName;       // the grid's name for screen readers
    QString gridScrollName; // the scroll bars that move the grid
    QString apply, cancel;
    QString text, textTip; // the Text tool: a line of text in an installed font
    QString font, threshold, thresholdTip;
    QString placeText, placeTextTip;
    QString previewName; // the text preview's name for screen readers
    // The photo dialog, offered when a loaded picture lights no dot.
    QString photoTitle; // %1 the slot number as the user counts
    QString photoIntro;
    QString asLoaded;     // the picture's colours as loaded
    QString byThreshold;  // lit where brighter than the threshold
    QString byDither;     // an ordered dither on brightness
    QString keepAsLoaded; // the dialog's cancel
};

// The texts of a language list position; anything outside 0..3 is English.
const EditorTexts &editorTexts(int uiLanguage);

// Every row of the table, for the placeholder check.
std::vector<FiveTexts> editorTextRows();

} // namespace glintag
