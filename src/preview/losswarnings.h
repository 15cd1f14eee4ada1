#pragma once

#include "badge/rendering.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace glintag {

struct BadgeSetup;

// Where part of a slot the user prepared never reaches the badge's dots.
// Sending is not blocked by any of them; they only say what will be lost.
enum class LossKind {
    ReplacedCharacters, // characters the language's code page cannot hold go out as '?'
    CutAtLimit,         // the 512-byte row limit cuts the slot's end
    DroppedAtLimit,     // no room is left for the slot at all
    NothingLit,         // a picture with pixels but none with red >= 128
    MissingFont,        // a font file the slot needs is nowhere to be found
    PastRowEnd,         // the text runs past the 4,096 columns one slot's row holds
    NoPicture,          // Image is ticked but the canvas is empty: the slot sends nothing
};

struct LossWarning {
    LossKind kind = LossKind::ReplacedCharacters;
    int slot = 0;             // 0..15
    QString characters;       // ReplacedCharacters: each one once, in text order
    int drawingLanguage = -1; // ReplacedCharacters: first language that holds them all, -1 none
    int renderedBytes = 0;    // Cut/Dropped of a picture: bytes per row it lights before the limit
    int bytesCut = 0;         // Cut/Dropped of a picture: of those, bytes per row that are not sent
    QString fileName;         // MissingFont
    QStringList folders;      // MissingFont: where the program looked, in order
    int sendLanguage = -1;    // ReplacedCharacters: the language the setup is sent under
    int charactersCut = 0;    // Cut/Dropped of a text, PastRowEnd: characters that do not reach the badge
    int characterCount = 0;   // Cut/Dropped of a text, PastRowEnd: characters of the whole text

    bool operator==(const LossWarning &o) const;
};

// Every loss a setup would suffer if it were sent now, slot by slot (a
// missing font file is named once, with the first slot that needs it).
// `rendering` is the setup's; its font lookup is taken as it stands.
std::vector<LossWarning> findLossWarnings(const BadgeSetup &setup, const Rendering &rendering);

// How a warning names a language: as the window's language box lists it,
// or as the command line's --language option takes it.
enum class LanguageNaming {
    LanguageBox,
    Option,
};

// A warning as one line of text in an interface language.
QString lossWarningText(const LossWarning &warning, int uiLanguage,
                        LanguageNaming naming = LanguageNaming::LanguageBox);

} // namespace glintag
