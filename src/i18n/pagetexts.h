#pragma once

#include <QJsonObject>

namespace glintag {

// The network page's texts in one interface language, keyed as the page's
// script reads them, with the move modes' names as the window lists them
// ("modes") and the language's code ("lang"). Placeholders are %1, %2 as
// each key's use says. Anything outside 0..3 is English.
QJsonObject pageTexts(int uiLanguage);

} // namespace glintag
