#include "i18n/languages.h"

#include "i18n/texttable.h"

#include <cstddef>

namespace glintag {

namespace {

// One row per caption target, one column per language in languageBox
// order, so a translation can be checked across its row at a glance.

using CaptionRow = TextRow<LanguageRecord>; // a null text: left unset

// Mind the exact spacing: the title is padded 4+4 (English 5+4), Send and Exit
// have two ordinary spaces inside, the Korean Loop Lamp header starts with a
// space, and the CJK colons are full-width (U+FF1A).
const CaptionRow kCaptions[] = {
    {&LanguageRecord::title,
     {u"    Glintag    ", u"    Glintag    ", u"    Glintag    ", u"    Glintag    ", u"     Glintag    "}},
    {&LanguageRecord::selectHeader, {u"选择", u"選擇", u"選択", u"선택", u"Select"}},
    {&LanguageRecord::textHeader,
     {u"显 示 内 容", u"顯 示 內 容", u"表 示 内 容", u"내 용 표 시", u"Show Text or Image"}},
    {&LanguageRecord::imageHeader, {u"位图", u"位圖", u"画像", u"그림", u"Image"}},
    {&LanguageRecord::speedHeader, {u"移动速度", u"移動速度", u"移動速度", u"속도", u"Speed"}},
    {&LanguageRecord::modeHeader, {u"运动模式", u"運動模式", u"移動モード", u"이동모드", u"Move Mode"}},
    {&LanguageRecord::flashHeader, {u"闪烁", u"閃爍", u"点滅", u"점멸", u"Flash"}},
    {&LanguageRecord::borderHeader, {u"跑马灯", u"跑馬燈", u"飾り枠", u" 장식테두리", u"Loop Lamp"}},
    {&LanguageRecord::alternateHeader, {u"交替", u"交替", u"切替", u"번갈아", u"Alternate"}},
    {&LanguageRecord::languageLabel, {u"语言：", u"語言：", u"言語：", u"언어：", u"Language :"}},
    {&LanguageRecord::brightnessLabel, {u"亮度：", u"亮度：", u"輝度：", u"밝기：", u"Bright :"}},
    {&LanguageRecord::portLabel, {u"通信端口：", u"通信端口：", u"通信ポート：", u"통신포트：", u"Port :"}},
    {&LanguageRecord::modelLabel, {u"型号：", u"型號：", u"モデル名：", u"모델：", u"Type :"}},
    {&LanguageRecord::gaugeCaption,
     {u"内存使用状态：", u"內存使用狀態：", u"メモリの使用状況：", u"메모리 사용 상태：", u"Memory Useing state :"}},
    {&LanguageRecord::loadButton, {u"装载图片", u"裝載圖片", u"画像参照", u"그림참조", u"Load"}},
    {&LanguageRecord::saveButton, {u"保存图片", u"保存圖片", u"画像保存", u"그림저장", u"Save"}},
    {&LanguageRecord::sendButton, {u"发  送", u"傳  送", u"転  送", u"전  송", u"Send"}},
    {&LanguageRecord::exitButton, {u"退  出", u"退  出", u"終  了", u"닫  기", u"Exit"}},
    {&LanguageRecord::verticalHeader, {u"竖显", u"豎顯", u"縦に表示", u"세로표시", nullptr}},
};

// modeBox item texts by list position; position 7 is only in slot 0's list.
const FiveTexts kMoveModes[8] = {
    {u"左移", u"左移", u"左に移動", u"왼쪽 이동", u"to Left"},
    {u"右移", u"右移", u"右に移動", u"오른쪽 이동", u"to Right"},
    {u"上移", u"上移", u"上向け", u"위 이동", u"to Up"},
    {u"下移", u"下移", u"下向け", u"아래로 이동", u"to Down"},
    {u"固定", u"固定", u"固定", u"고정", u"Freeze"},
    {u"堆砌", u"堆砌", u"積み重ね", u"더미", u"Pile Up"},
    {u"中分", u"中分", u"中心振分け", u"별도의 중", u"Curtain Apart"},
    {u"动画", u"動畫", u"アニメーション", u"애니메이션", u"Animation"},
};

struct SettingsRowColumn {
    int SettingsRowLefts::*field;
    std::array<int, kUiLanguageCount> left;
};

// Window pixels; the labels are wider in some languages, so the combo boxes
// after them shift. Japanese differs from the classic program on purpose:
// the model box at 360 (not 352), the port caption at 424 (not 428) and the
// port box at 502 (not 496). "モデル名：" and "通信ポート：" are wider in the
// window's Japanese face than in the classic font, and the boxes, drawn over
// their captions, would hide the colons at the classic places.
const SettingsRowColumn kSettingsRow[] = {
    {&SettingsRowLefts::languageBox, {60, 60, 56, 60, 88}},
    {&SettingsRowLefts::brightnessLabel, {200, 200, 196, 200, 224}},
    {&SettingsRowLefts::brightnessBox, {244, 244, 236, 244, 272}},
    {&SettingsRowLefts::modelLabel, {304, 304, 296, 304, 336}},
    {&SettingsRowLefts::modelBox, {348, 348, 360, 348, 376}},
    {&SettingsRowLefts::portLabel, {424, 424, 424, 424, 456}},
    {&SettingsRowLefts::portBox, {496, 496, 502, 488, 496}},
};

constexpr std::array<int, kUiLanguageCount> kCharsets = {
    kCharsetGb2312, kCharsetBig5, kCharsetShiftJis, kCharsetHangul, kCharsetAnsi,
};

std::array<LanguageRecord, kUiLanguageCount> buildRecords()
{
    std::array<LanguageRecord, kUiLanguageCount> records{};
    for (int lang = 0; lang < kUiLanguageCount; ++lang) {
        LanguageRecord &r = records[std::size_t(lang)];
        r.uiLanguage = lang;
        r.charset = kCharsets[std::size_t(lang)];
        for (const CaptionRow &row : kCaptions) {
            if (const char16_t *text = row.texts[std::size_t(lang)])
                r.*row.field = QString::fromUtf16(text);
        }
        for (std::size_t item = 0; item < r.moveModes.size(); ++item)
            r.moveModes[item] = QString::fromUtf16(kMoveModes[item][std::size_t(lang)]);
        for (const SettingsRowColumn &col : kSettingsRow)
            r.settingsRow.*col.field = col.left[std::size_t(lang)];
        r.showsVerticalShow = lang != UiEnglish;
    }
    return records;
}

} // namespace

const LanguageRecord &languageRecord(int uiLanguage)
{
    static const std::array<LanguageRecord, kUiLanguageCount> records = buildRecords();
    if (uiLanguage < UiSimpChinese || uiLanguage > UiKorean)
        uiLanguage = UiEnglish;
    return records[std::size_t(uiLanguage)];
}

std::vector<FiveTexts> captionRows()
{
    std::vector<FiveTexts> rows = textsOf(kCaptions);
    rows.insert(rows.end(), std::begin(kMoveModes), std::end(kMoveModes));
    return rows;
}

int uiLanguageForLocale(const QLocale &locale)
{
    switch (locale.language()) {
    case QLocale::Chinese: {
        const bool traditional = locale.script() == QLocale::TraditionalChineseScript
            || locale.territory() == QLocale::Taiwan || locale.territory() == QLocale::HongKong
            || locale.territory() == QLocale::Macau;
        return traditional ? UiTradChinese : UiSimpChinese;
    }
    case QLocale::Japanese:
        return UiJapanese;
    case QLocale::Korean:
        return UiKorean;
    default:
        return UiEnglish;
    }
}

const QStringList &uiLanguageNames()
{
    static const QStringList names = {
        QStringLiteral("SimpChinese"), QStringLiteral("TradChinese"), QStringLiteral("Japanese"),
        QStringLiteral("Korean"),      QStringLiteral("English"),
    };
    return names;
}

const QStringList &uiLanguageCodes()
{
    static const QStringList codes = {
        QStringLiteral("zh-CN"), QStringLiteral("zh-TW"), QStringLiteral("ja"),
        QStringLiteral("ko"),    QStringLiteral("en"),
    };
    return codes;
}

QStringList fontFamiliesForCharset(int charset)
{
    // A list rather than one face: whichever of these the machine has wins,
    // and Qt falls back along the list for glyphs the first one lacks. Only
    // outline faces: the title is drawn at 20 points. The two WenQuanYi faces
    // cover Hangul and kana as well as Han, so one package serves all four.
    const QString microHei = QStringLiteral("WenQuanYi Micro Hei"), zenHei = QStringLiteral("WenQuanYi Zen Hei");
    switch (charset) {
    case kCharsetGb2312:
        return {QStringLiteral("Noto Sans CJK SC"), microHei, zenHei, QStringLiteral("AR PL UMing CN")};
    case kCharsetBig5:
        return {QStringLiteral("Noto Sans CJK TC"), microHei, zenHei, QStringLiteral("AR PL UMing TW")};
    case kCharsetShiftJis:
        return {QStringLiteral("Noto Sans CJK JP"),
                microHei,
                zenHei,
                QStringLiteral("IPAGothic"),
                QStringLiteral("VL Gothic"),
                QStringLiteral("TakaoGothic")};
    case kCharsetHangul:
        return {QStringLiteral("Noto Sans CJK KR"), microHei, zenHei, QStringLiteral("NanumGothic"),
                QStringLiteral("UnDotum")};
    default:
        return {QStringLiteral("Arial"), QStringLiteral("Liberation Sans")};
    }
}

} // namespace glintag
