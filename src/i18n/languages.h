#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

#include <array>
#include <vector>

namespace glintag {

class FiveTexts;

// Interface languages, in the order of the languageBox list.
enum UiLanguageIndex : int {
    UiSimpChinese = 0,
    UiTradChinese = 1,
    UiJapanese = 2,
    UiKorean = 3,
    UiEnglish = 4,
};

constexpr int kUiLanguageCount = 5;

// Font character-set codes (the GDI numbering the settings and records use).
constexpr int kCharsetAnsi = 0;
constexpr int kCharsetShiftJis = 128;
constexpr int kCharsetHangul = 129;
constexpr int kCharsetGb2312 = 134;
constexpr int kCharsetBig5 = 136;

// Left edges, in window pixels, of the settings-row controls that move with
// the language. languageLabel never moves; tops and widths never change.
struct SettingsRowLefts {
    int languageBox;
    int brightnessLabel;
    int brightnessBox;
    int modelLabel;
    int modelBox;
    int portLabel;
    int portBox;
};

// Everything the window needs to re-label itself in one language. Caption
// fields carry the name of the control they label; loadButton and saveButton are
// the captions of all sixteen buttons of their kind.
struct LanguageRecord {
    int uiLanguage; // 0..4, the languageBox position this record belongs to
    int charset;    // font character set of every re-fonted control

    QString title;
    QString selectHeader;
    QString textHeader;
    QString imageHeader;
    QString speedHeader;
    QString modeHeader;
    QString flashHeader;
    QString borderHeader;
    QString alternateHeader;
    QString languageLabel;
    QString brightnessLabel;
    QString portLabel;
    QString modelLabel;
    QString gaugeCaption;
    QString loadButton;
    QString saveButton;
    QString sendButton;
    QString exitButton;
    QString verticalHeader; // null in English: the label stays hidden and keeps its caption

    // Items of every modeBox list; item 7 exists only in slot 0's list.
    std::array<QString, 8> moveModes;

    SettingsRowLefts settingsRow;

    // True for the four East Asian languages, which show the vertical-show
    // column (columnsWithVerticalShow); English uses columnsWithoutVerticalShow.
    bool showsVerticalShow;
};

// The record of a languageBox position. 0..3 give their own record; every
// other value, -1 (no selection) included, gives English.
const LanguageRecord &languageRecord(int uiLanguage);

// Every caption and move-mode row, for the placeholder check.
std::vector<FiveTexts> captionRows();

// The interface language a first start picks for the system's locale:
// Chinese in traditional script (Taiwan, Hong Kong) or simplified, Japanese,
// Korean, and English for every other locale.
int uiLanguageForLocale(const QLocale &locale);

// The five languageBox items. They read the same in every interface language.
const QStringList &uiLanguageNames();

// The same five as the command line's --language takes them ("zh-CN", …).
const QStringList &uiLanguageCodes();

// Font families, in order of preference, that display the script of a font
// character set. Only the family follows the language; each control keeps
// its own size and weight. Unknown character sets get the Latin families.
QStringList fontFamiliesForCharset(int charset);

} // namespace glintag
