#pragma once

#include <QString>

namespace glintag {

// The texts of the status line under the memory gauge, the Stop button and
// the tooltips, in one interface language. Status texts carry numbered
// placeholders for QString::arg, listed beside each; a translation may put
// them in any order but must keep every one.
struct StatusTexts {
    QString stopButton;
    QString sending;        // %1 of %2 bytes, %3 s left
    QString sent;           // %1 bytes in %2 s
    QString stopped;        // %1 of %2 bytes; the badge may hold part of a message
    QString stalled;        // the line stopped taking data; %1 of %2 bytes
    QString lineLost;       // the device went away; %1 of %2 bytes
    QString writesRefused;  // the port refused data; %1 of %2 bytes
    QString pictureMissing; // slot %1's kept picture, file %2, could not be read

    // Tooltips of the settings row and its buttons.
    QString languageTip, brightnessTip, modelTip, portTip, progressTip, sendTip, exitTip, stopTip;
    // Tooltips of the slot columns' headers: what each column does.
    QString selectTip, textTip, imageTip, verticalTip, speedTip, modeTip, flashTip, borderTip, alternateTip;

    // Detail of the close's save message: slots %1 (a list) whose pictures
    // could not be written; the pictures saved before stay in use.
    QString picturesNotSaved;
};

// The texts of a languageBox position; anything outside 0..3 gives English,
// as the captions do.
const StatusTexts &statusTexts(int uiLanguage);

} // namespace glintag
