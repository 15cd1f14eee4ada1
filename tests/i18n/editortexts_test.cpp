#include "i18n/editortexts.h"
#include "i18n/languages.h"

#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

using namespace glintag;

// Every editor text exists in every language, with the placeholders the
// English one has, so no caption is blank and no number goes missing.
TEST(EditorTexts, EveryLanguageHasEveryTextWithItsPlaceholders)
{
    const QString EditorTexts::*fields[] = {
        &EditorTexts::title,          &EditorTexts::pen,
        &EditorTexts::penTip,         &EditorTexts::line,
        &EditorTexts::lineTip,        &EditorTexts::rect,
        &EditorTexts::rectTip,        &EditorTexts::clear,
        &EditorTexts::invert,         &EditorTexts::shiftLeft,
        &EditorTexts::shiftRight,     &EditorTexts::shiftUp,
        &EditorTexts::shiftDown,      &EditorTexts::fit,
        &EditorTexts::fitTip,         &EditorTexts::undo,
        &EditorTexts::redo,           &EditorTexts::icon,
        &EditorTexts::insertIcon,     &EditorTexts::insertIconTip,
        &EditorTexts::frames,         &EditorTexts::addFrame,
        &EditorTexts::duplicateFrame, &EditorTexts::deleteFrame,
        &EditorTexts::frameEarlier,   &EditorTexts::frameLater,
        &EditorTexts::keysTip,        &EditorTexts::stripTip,
        &EditorTexts::gifQuestion,    &EditorTexts::gifTitle,
        &EditorTexts::gifCapped,      &EditorTexts::gridName,
        &EditorTexts::apply,          &EditorTexts::cancel,
        &EditorTexts::text,           &EditorTexts::textTip,
        &EditorTexts::font,           &EditorTexts::threshold,
        &EditorTexts::thresholdTip,   &EditorTexts::placeText,
        &EditorTexts::placeTextTip,   &EditorTexts::previewName,
        &EditorTexts::photoTitle,     &EditorTexts::photoIntro,
        &EditorTexts::asLoaded,       &EditorTexts::byThreshold,
        &EditorTexts::byDither,       &EditorTexts::keepAsLoaded,
    };
    auto placeholders = [](const QString &text) {
        QSet<QString> found;
        for (const auto &m : QRegularExpression(QStringLiteral("%[1-9]")).globalMatch(text))
            found.insert(m.captured());
        return found;
    };
    for (const auto field : fields) {
        const QString &english = editorTexts(UiEnglish).*field;
        ASSERT_FALSE(english.isEmpty());
        for (int lang = 0; lang < kUiLanguageCount; ++lang) {
            const QString &text = editorTexts(lang).*field;
            EXPECT_FALSE(text.isEmpty()) << english.toStdString() << " in language " << lang;
            EXPECT_EQ(placeholders(text), placeholders(english)) << text.toStdString();
        }
    }
    EXPECT_EQ(editorTexts(-1).pen, editorTexts(UiEnglish).pen);
    EXPECT_NE(editorTexts(UiJapanese).pen, editorTexts(UiEnglish).pen);
}
