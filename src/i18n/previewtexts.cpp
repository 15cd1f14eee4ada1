#include "i18n/previewtexts.h"

#include "i18n/languages.h"
#include "i18n/texttable.h"

#include <array>
#include <cstddef>

namespace glintag {

namespace {

using TextRow = glintag::TextRow<PreviewTexts>;

// One row per text, one column per language, as in the caption tables.
const TextRow kTexts[] = {
    {&PreviewTexts::faceCaption,
     {u"胸牌显示（模拟）", u"胸牌顯示（模擬）", u"バッジ表示（シミュレーション）", u"배지 화면 (시뮬레이션)",
      u"Badge face (simulation)"}},
    {&PreviewTexts::faceTooltip,
     {u"按顺序播放所选消息的模拟。点阵准确；运动和时间为近似。",
      u"依序播放所選訊息的模擬。點陣準確；運動和時間為近似。",
      u"選択したメッセージを順に再生するシミュレーションです。ドットは正確ですが、動きとタイミングは近似です。",
      u"선택한 메시지를 순서대로 재생하는 시뮬레이션입니다. 점은 정확하며 움직임과 타이밍은 근사치입니다.",
      u"A simulation of the badge playing the selected slots in order. The dots are exact; motion and timing are "
      u"approximate."}},
    {&PreviewTexts::stripCaption,
     {u"消息%1：每行发送 %2 字节（%3 列）", u"訊息%1：每行傳送 %2 位元組（%3 欄）",
      u"メッセージ%1：1行 %2 バイト転送（%3 列）", u"메시지%1: 행당 %2바이트 전송 (%3열)",
      u"Slot %1: %2 bytes per row sent (%3 columns)"}},
    {&PreviewTexts::stripTooltip,
     {u"该消息发送的点阵，与上传的内容完全一致。", u"此訊息傳送的點陣，與上傳的內容完全一致。",
      u"このメッセージが転送するドット。転送内容と完全に同じです。",
      u"이 메시지가 전송하는 점. 전송 내용과 정확히 같습니다.",
      u"The dots this slot sends, exactly as the upload carries them."}},
    {&PreviewTexts::replaced,
     {u"消息%1：“%2”在 %3 下发送为“?”；选择 %4 才能显示。", u"訊息%1：「%2」在 %3 下傳送為「?」；選擇 %4 才能顯示。",
      u"メッセージ%1：「%2」は %3 では「?」として転送されます。%4 を選ぶと表示されます。",
      u"메시지%1: \"%2\"은(는) %3에서 \"?\"로 전송됩니다. %4을(를) 선택하면 표시됩니다.",
      u"Slot %1: \"%2\" is sent as \"?\" under %3; choose %4 to draw it."}},
    {&PreviewTexts::replacedNowhere,
     {u"消息%1：“%2”在 %3 下发送为“?”；没有界面语言能显示。可勾选位图，用点阵编辑器的文字工具以任意字体画出。",
      u"訊息%1：「%2」在 %3 下傳送為「?」；沒有介面語言能顯示。可勾選位圖，用點陣編輯器的文字工具以任意字型畫出。",
      u"メッセージ%1：「%2」は %3 "
      u"では「?」として転送されます。表示できる言語はありません。画像にしてドット編集の文字ツールで"
      u"任意のフォントで描けます。",
      u"메시지%1: \"%2\"은(는) %3에서 \"?\"로 전송됩니다. 표시할 수 있는 언어가 없습니다. 그림으로 바꿔 점 편집기의 "
      u"글자 "
      u"도구로 아무 글꼴로나 그릴 수 있습니다.",
      u"Slot %1: \"%2\" is sent as \"?\" under %3; no interface language draws it. Tick Image and the dot editor's "
      u"Text tool draws it in any installed font."}},
    {&PreviewTexts::cut,
     {u"消息%1：每行 512 字节的上限截掉了 %3 字节中的 %2 字节。",
      u"訊息%1：每行 512 位元組的上限截掉了 %3 位元組中的 %2 位元組。",
      u"メッセージ%1：1行 512 バイトの上限で、%3 バイトのうち %2 バイトが切り捨てられます。",
      u"메시지%1: 행당 512바이트 제한으로 %3바이트 중 %2바이트가 잘립니다.",
      u"Slot %1: the 512-byte row limit cuts %2 of its %3 bytes per row."}},
    {&PreviewTexts::dropped,
     {u"消息%1：每行 512 字节已用完；它的 %2 字节不会发送。",
      u"訊息%1：每行 512 位元組已用完；它的 %2 位元組不會傳送。",
      u"メッセージ%1：1行 512 バイトの上限に空きがなく、%2 バイトは転送されません。",
      u"메시지%1: 행당 512바이트가 모두 사용되어 %2바이트는 전송되지 않습니다.",
      u"Slot %1: no room left in the 512-byte row; its %2 bytes per row are not sent."}},
    {&PreviewTexts::nothingLit,
     {u"消息%1：图片没有红色 ≥ 128 的点，什么也不发送（只有红色部分会亮）。",
      u"訊息%1：圖片沒有紅色 ≥ 128 的點，什麼也不傳送（只有紅色部分會亮）。",
      u"メッセージ%1：画像に赤が 128 以上の点がなく、何も転送されません（赤い部分だけが点灯します）。",
      u"메시지%1: 그림에 빨강이 128 이상인 점이 없어 아무것도 전송되지 않습니다 (빨간 부분만 켜집니다).",
      u"Slot %1: the picture has no dot with red of 128 or more and sends nothing (only red parts light up)."}},
    {&PreviewTexts::missingFont,
     {u"消息%1：缺少字库文件“%2”（查找位置：%3）；其字符显示为空白。",
      u"訊息%1：缺少字型檔「%2」（尋找位置：%3）；其字元顯示為空白。",
      u"メッセージ%1：フォントファイル「%2」がありません（検索場所：%3）。その文字は空白になります。",
      u"메시지%1: 글꼴 파일 \"%2\"이(가) 없습니다 (찾은 위치: %3). 해당 문자는 빈칸이 됩니다.",
      u"Slot %1: font file \"%2\" is missing (looked in %3); its characters are drawn blank."}},
    {&PreviewTexts::replacedOption,
     {u"消息%1：“%2”在 %3 下发送为“?”；改用 --language %4 才能显示。",
      u"訊息%1：「%2」在 %3 下傳送為「?」；改用 --language %4 才能顯示。",
      u"メッセージ%1：「%2」は %3 では「?」として転送されます。--language %4 を指定すると表示されます。",
      u"메시지%1: \"%2\"은(는) %3에서 \"?\"로 전송됩니다. --language %4을(를) 지정하면 표시됩니다.",
      u"Slot %1: \"%2\" is sent as \"?\" under %3; send with --language %4 to draw it."}},
    {&PreviewTexts::replacedNowhereOption,
     {u"消息%1：“%2”在 %3 下发送为“?”；任何 --language 都无法显示。",
      u"訊息%1：「%2」在 %3 下傳送為「?」；任何 --language 都無法顯示。",
      u"メッセージ%1：「%2」は %3 では「?」として転送されます。どの --language でも表示できません。",
      u"메시지%1: \"%2\"은(는) %3에서 \"?\"로 전송됩니다. 어떤 --language로도 표시할 수 없습니다.",
      u"Slot %1: \"%2\" is sent as \"?\" under %3; no --language value draws it."}},
    {&PreviewTexts::cutCharacters,
     {u"消息%1：每行 512 字节的上限截掉了 %3 个字符中的 %2 个。",
      u"訊息%1：每行 512 位元組的上限截掉了 %3 個字元中的 %2 個。",
      u"メッセージ%1：1行 512 バイトの上限で、%3 文字のうち %2 文字が切り捨てられます。",
      u"메시지%1: 행당 512바이트 제한으로 %3자 중 %2자가 잘립니다.",
      u"Slot %1: the 512-byte row limit cuts %2 of its %3 characters."}},
    {&PreviewTexts::droppedCharacters,
     {u"消息%1：每行 512 字节已用完；它的 %2 个字符都不会发送。",
      u"訊息%1：每行 512 位元組已用完；它的 %2 個字元都不會傳送。",
      u"メッセージ%1：1行 512 バイトの上限に空きがなく、%2 文字はどれも転送されません。",
      u"메시지%1: 행당 512바이트가 모두 사용되어 %2자 모두 전송되지 않습니다.",
      u"Slot %1: no room left in the 512-byte row; none of its %2 characters are sent."}},
    {&PreviewTexts::pastRowEnd,
     {u"消息%1：一条消息最多 4096 列；%3 个字符中超出的 %2 个不会发送。",
      u"訊息%1：一則訊息最多 4096 欄；%3 個字元中超出的 %2 個不會傳送。",
      u"メッセージ%1：1 つのメッセージは最大 4096 列です。%3 文字のうちはみ出した %2 文字は転送されません。",
      u"메시지%1: 한 메시지는 최대 4096열입니다. %3자 중 넘친 %2자는 전송되지 않습니다.",
      u"Slot %1: a slot holds 4096 columns; %2 of its %3 characters lie past them and are not sent."}},
    {&PreviewTexts::noPicture,
     {u"消息%1：已勾选位图，但没有装载图片（画布全黑），什么也不发送。",
      u"訊息%1：已勾選位圖，但沒有裝載圖片（畫布全黑），什麼也不傳送。",
      u"メッセージ%1：画像がチェックされていますが、画像が読み込まれていません（全面が黒）。何も転送されません。",
      u"메시지%1: 그림이 체크되어 있지만 불러온 그림이 없습니다 (모두 검정). 아무것도 전송되지 않습니다.",
      u"Slot %1: Image is ticked but no picture is loaded (the canvas is all black); the slot sends nothing."}},
    {&PreviewTexts::warningsName, {u"警告", u"警告", u"警告", u"경고", u"Warnings"}},
};

} // namespace

const PreviewTexts &previewTexts(int uiLanguage)
{
    static const std::array<PreviewTexts, kUiLanguageCount> all = buildTextTable(kTexts);
    return textsFor(all, uiLanguage);
}

std::vector<FiveTexts> previewTextRows()
{
    return textsOf(kTexts);
}

} // namespace glintag
