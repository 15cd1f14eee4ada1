#pragma once

#include <QString>

#include <vector>

namespace glintag {

class FiveTexts;

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
    QString pictureOutside; // slot %1's picture, %2, lies outside the opened setup's folder
    QString portAllowed;    // what the port box takes

    // Tooltips of the settings row and its buttons.
    QString languageTip, brightnessTip, modelTip, portTip, progressTip, sendTip, exitTip, stopTip;
    // Tooltips of the slot columns' headers: what each column does.
    QString selectTip, textTip, imageTip, verticalTip, speedTip, modeTip, flashTip, borderTip, alternateTip;

    QString sendingQuiet;     // %1 of %2 bytes; the line has taken nothing for %3 s
    QString stoppedBeforeAny; // stopped before any of %1 bytes left the port: the badge is unchanged
    QString gaugeUse;         // beside the memory gauge: %1 of the 512 bytes per row in use
    QString gaugeUseTip;
    // Tooltips of a row's picture side and of the memory gauge.
    QString loadTip, saveTip, pictureTip, panTip, gaugeTip;
    // Names a screen reader gives a row's controls: %1 the slot as the user
    // counts (1..16), then the column's caption; the pan bar has no caption.
    QString slotName, panName;
    QString pageScrollName; // the window's own scroll bars
    QString allFiles;       // the picture dialog's filter that shows every file
    // Detail of the close's save message: slots %1 (a list) whose pictures
    // could not be written; the pictures saved before stay in use.
    QString picturesNotSaved;
    // One port's part in the end of an upload to several ports: %1 the port,
    // then its bytes (%2) and, once sent, the seconds (%3); cannotOpen's %2
    // is the system's reason. resultsJoin goes between the ports.
    QString portSent, portGone, portStopped, portStalled, portCannotOpen, portBadName, portNotOpened;
    QString resultsJoin;
    // What a user who may not open a port does about it: a clause that
    // starts in lower case, to follow a colon or start a sentence.
    QString permissionAdvice;
    // The ports' results (%1) of an upload to several ports that was
    // stopped, with the advice a stopped upload to one port gives.
    QString severalStopped, severalStoppedBeforeAny;
    // The same for a device whose facts are known: %1 the device, %2 its
    // owner, %3 its group, %4 its mode; joining the group where the group
    // may write to it, and why that would not help where only the owner may.
    QString permissionJoinGroup, permissionOwnerOnly;
};

// The texts of a languageBox position; anything outside 0..3 gives English,
// as the captions do.
const StatusTexts &statusTexts(int uiLanguage);

// Every row of the table, for the placeholder check.
std::vector<FiveTexts> statusTextRows();

} // namespace glintag
