#pragma once

#include <QString>

#include <vector>

namespace glintag {

class FiveTexts;

// The menu bar's menus and items (with their mnemonics) and the texts of
// the setup files' dialogs, in one interface language.
struct MenuTexts {
    QString fileMenu, newSetup, open, openRecent, noRecent, save, saveAs, exportPreview, exit;
    QString editMenu, undo, redo, revert;
    QString badgeMenu, send, stop, ports, noPorts;
    QString helpMenu, manual, shortcuts, about;
    QString menuBar; // what a screen reader calls the bar

    QString untitled;                                // the title's name for a setup never saved
    QString setupFilter;                             // the file dialogs' label for setup files
    QString gifFilter;                               // and for the exported animation
    QString saveQuestion;                            // %1 the setup's file name: save its changes first?
    QString unsavedTitle;                            // that question's title
    QString saveButton, discardButton, cancelButton; // its answers
    QString openFailed;                              // a setup that cannot be read; the reason follows
    QString saveFailed;                              // a setup that cannot be written
    QString exportFailed;                            // an animation that cannot be written
    QString errorTitle;
    QString exported; // status: %1 the file, %2 frames, %3 seconds
    QString aboutTitle;
    QString aboutText;   // %1 version, %2 Qt version, with the program's licence
    QString fontSources; // heads the font sources' list in About
    QString shortcutsTitle;
    QString textBoxUndo; // under the list: a text box undoes its own typing
    QString manualTitle;
    QString manualText;
    // Badge > Ports: %1 a port that gets the same upload besides the Port box's.
    QString alsoSendTo;
};

// The texts of a language list position; anything outside 0..3 is English.
const MenuTexts &menuTexts(int uiLanguage);

// Every row of the table, for the placeholder check.
std::vector<FiveTexts> menuTextRows();

} // namespace glintag
