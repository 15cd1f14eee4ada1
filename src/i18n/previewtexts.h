#pragma once

#include <QString>

#include <vector>

namespace glintag {

class FiveTexts;

// The preview panel's captions, tooltip and warnings in one interface
// language. Placeholders: %1 is always the slot number as the user counts
// (1..16); the others are given with each text.
struct PreviewTexts {
    QString faceCaption;
    QString faceTooltip;  // says that motion and timing are approximate
    QString stripCaption; // %2 bytes per row sent, %3 dot columns
    QString stripTooltip;
    QString replaced;        // %2 the characters, %3 this language, %4 the language that draws them
    QString replacedNowhere; // %2 the characters, %3 this language
    QString cut;             // %2 bytes per row cut, %3 bytes per row rendered
    QString dropped;         // %2 bytes per row rendered
    QString nothingLit;
    QString missingFont; // %2 the file name, %3 the folders looked in
    // The command line's versions of replaced/replacedNowhere: the advice
    // names the --language value (%4) instead of a language box item.
    QString replacedOption;
    QString replacedNowhereOption;
    QString cutCharacters;     // %2 characters cut, %3 characters of the text
    QString droppedCharacters; // %2 characters of the text
    QString pastRowEnd;        // %2 characters past the slot's 4,096 columns, %3 characters of the text
    QString noPicture;         // Image ticked, nothing on the canvas
    QString warningsName; // the list's name for screen readers
};

// The texts of a language list position; anything outside 0..3 is English.
const PreviewTexts &previewTexts(int uiLanguage);

// Every row of the table, for the placeholder check.
std::vector<FiveTexts> previewTextRows();

} // namespace glintag
