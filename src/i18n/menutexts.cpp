#include "i18n/menutexts.h"

#include "i18n/languages.h"
#include "i18n/texttable.h"

#include <array>
#include <cstddef>

namespace glintag {

namespace {

using TextRow = glintag::TextRow<MenuTexts>;

// One row per text, one column per language, as in the caption tables.
const TextRow kTexts[] = {
    {&MenuTexts::menuBar, {u"菜单栏", u"功能表列", u"メニューバー", u"메뉴 모음", u"Menu bar"}},
    {&MenuTexts::fileMenu, {u"文件(&F)", u"檔案(&F)", u"ファイル(&F)", u"파일(&F)", u"&File"}},
    {&MenuTexts::newSetup, {u"新建设置(&N)", u"新增設定(&N)", u"新規設定(&N)", u"새 설정(&N)", u"&New setup"}},
    {&MenuTexts::open, {u"打开(&O)…", u"開啟(&O)…", u"開く(&O)…", u"열기(&O)…", u"&Open…"}},
    {&MenuTexts::openRecent,
     {u"最近打开(&R)", u"最近開啟(&R)", u"最近使ったファイル(&R)", u"최근 파일(&R)", u"Open &Recent"}},
    {&MenuTexts::noRecent, {u"（无）", u"（無）", u"（なし）", u"(없음)", u"(none)"}},
    {&MenuTexts::save, {u"保存(&S)", u"儲存(&S)", u"保存(&S)", u"저장(&S)", u"&Save"}},
    {&MenuTexts::saveAs,
     {u"另存为(&A)…", u"另存新檔(&A)…", u"名前を付けて保存(&A)…", u"다른 이름으로 저장(&A)…", u"Save &As…"}},
    {&MenuTexts::exportPreview,
     {u"导出预览(&E)…", u"匯出預覽(&E)…", u"プレビューを書き出す(&E)…", u"미리보기 내보내기(&E)…",
      u"&Export preview…"}},
    {&MenuTexts::exit, {u"退出(&X)", u"結束(&X)", u"終了(&X)", u"끝내기(&X)", u"E&xit"}},
    {&MenuTexts::editMenu, {u"编辑(&E)", u"編輯(&E)", u"編集(&E)", u"편집(&E)", u"&Edit"}},
    {&MenuTexts::undo, {u"撤销(&U)", u"復原(&U)", u"元に戻す(&U)", u"실행 취소(&U)", u"&Undo"}},
    {&MenuTexts::redo, {u"重做(&R)", u"重做(&R)", u"やり直し(&R)", u"다시 실행(&R)", u"&Redo"}},
    {&MenuTexts::revert,
     {u"恢复为已保存(&V)", u"還原為已儲存(&V)", u"保存時に戻す(&V)", u"저장된 상태로 되돌리기(&V)",
      u"Re&vert to saved"}},
    // Alt+B is the Brightness box's.
    {&MenuTexts::badgeMenu, {u"胸牌(&G)", u"胸牌(&G)", u"バッジ(&G)", u"배지(&G)", u"Bad&ge"}},
    {&MenuTexts::send, {u"发送(&S)", u"傳送(&S)", u"転送(&S)", u"전송(&S)", u"&Send"}},
    {&MenuTexts::stop, {u"停止(&T)", u"停止(&T)", u"停止(&T)", u"중지(&T)", u"S&top"}},
    {&MenuTexts::ports, {u"端口(&P)", u"連接埠(&P)", u"ポート(&P)", u"포트(&P)", u"&Ports"}},
    {&MenuTexts::noPorts, {u"（没有端口）", u"（沒有連接埠）", u"（ポートなし）", u"(포트 없음)", u"(no ports)"}},
    {&MenuTexts::helpMenu, {u"帮助(&H)", u"說明(&H)", u"ヘルプ(&H)", u"도움말(&H)", u"&Help"}},
    {&MenuTexts::manual, {u"使用说明(&M)", u"使用說明(&M)", u"マニュアル(&M)", u"설명서(&M)", u"&Manual"}},
    {&MenuTexts::shortcuts,
     {u"快捷键(&K)", u"快速鍵(&K)", u"キーボードショートカット(&K)", u"바로 가기 키(&K)", u"&Keyboard shortcuts"}},
    {&MenuTexts::about,
     {u"关于 Glintag(&A)", u"關於 Glintag(&A)", u"Glintag について(&A)", u"Glintag 정보(&A)", u"&About Glintag"}},
    {&MenuTexts::untitled, {u"未命名", u"未命名", u"無題", u"제목 없음", u"Untitled"}},
    {&MenuTexts::setupFilter, {u"胸牌设置", u"胸牌設定", u"バッジ設定", u"배지 설정", u"Badge setup"}},
    {&MenuTexts::gifFilter, {u"GIF 动画", u"GIF 動畫", u"GIF アニメーション", u"GIF 애니메이션", u"Animated GIF"}},
    {&MenuTexts::saveQuestion,
     {u"设置“%1”已修改。要保存更改吗？", u"設定「%1」已修改。要儲存變更嗎？",
      u"設定「%1」は変更されています。変更を保存しますか？",
      u"설정 \"%1\"이(가) 변경되었습니다. 변경 내용을 저장할까요?", u"The setup \"%1\" has changes. Save them?"}},
    {&MenuTexts::unsavedTitle,
     {u"未保存的更改", u"未儲存的變更", u"未保存の変更", u"저장하지 않은 변경", u"Unsaved changes"}},
    {&MenuTexts::saveButton, {u"保存", u"儲存", u"保存", u"저장", u"Save"}},
    {&MenuTexts::discardButton, {u"不保存", u"不儲存", u"保存しない", u"저장 안 함", u"Don't save"}},
    {&MenuTexts::cancelButton, {u"取消", u"取消", u"キャンセル", u"취소", u"Cancel"}},
    {&MenuTexts::openFailed,
     {u"无法打开该设置。", u"無法開啟此設定。", u"この設定を開けません。", u"이 설정을 열 수 없습니다.",
      u"The setup cannot be opened."}},
    {&MenuTexts::saveFailed,
     {u"无法保存该设置。", u"無法儲存此設定。", u"この設定を保存できません。", u"이 설정을 저장할 수 없습니다.",
      u"The setup cannot be saved."}},
    {&MenuTexts::exportFailed,
     {u"无法导出预览。", u"無法匯出預覽。", u"プレビューを書き出せません。", u"미리보기를 내보낼 수 없습니다.",
      u"The preview cannot be exported."}},
    {&MenuTexts::errorTitle, {u"错误", u"錯誤", u"エラー", u"오류", u"Error"}},
    {&MenuTexts::exported,
     {u"预览已导出到 %1（%2 帧，%3 秒）。", u"預覽已匯出到 %1（%2 格，%3 秒）。",
      u"プレビューを %1 に書き出しました（%2 フレーム、%3 秒）。", u"미리보기를 %1에 내보냈습니다 (%2프레임, %3초).",
      u"Preview exported to %1 (%2 frames, %3 s)."}},
    {&MenuTexts::aboutTitle,
     {u"关于 Glintag", u"關於 Glintag", u"Glintag について", u"Glintag 정보", u"About Glintag"}},
    {&MenuTexts::aboutText,
     {u"Glintag %1\n为 12 点高的 LED 胸牌编程。\n\n本程序是自由软件，依 GNU GPL 第 2 版或更新版本发布。\n使用 Qt %2。",
      u"Glintag %1\n為 12 點高的 LED 胸牌編程。\n\n本程式是自由軟體，依 GNU GPL 第 2 版或更新版本發佈。\n使用 Qt %2。",
      u"Glintag %1\n高さ 12 ドットの LED バッジに書き込みます。\n\n"
      u"このプログラムはフリーソフトウェアです。GNU GPL バージョン 2 以降の条件で配布されます。\nQt %2 "
      u"を使用しています。",
      u"Glintag %1\n높이 12점의 LED 배지를 프로그래밍합니다.\n\n"
      u"이 프로그램은 자유 소프트웨어이며 GNU GPL 버전 2 이상으로 배포됩니다.\nQt %2 사용.",
      u"Glintag %1\nProgrammes LED name badges 12 dots high.\n\n"
      u"This program is free software under the GNU GPL, version 2 or later.\nBuilt with Qt %2."}},
    {&MenuTexts::fontSources,
     {u"字库来源及其许可：", u"字型來源及其授權：", u"フォントの出典とライセンス：", u"글꼴 출처와 라이선스:",
      u"Font sources and their licences:"}},
    {&MenuTexts::shortcutsTitle,
     {u"快捷键", u"快速鍵", u"キーボードショートカット", u"바로 가기 키", u"Keyboard shortcuts"}},
    {&MenuTexts::textBoxUndo,
     {u"在文本框中，撤销和重做先作用于该框内的输入。", u"在文字方塊中，復原和重做先作用於該方塊內的輸入。",
      u"テキストボックスの中では、元に戻す・やり直しはまずそのボックスの入力に働きます。",
      u"텍스트 상자 안에서는 실행 취소와 다시 실행이 먼저 그 상자의 입력에 적용됩니다.",
      u"In a text box, Undo and Redo first work on the typing in that box."}},
    {&MenuTexts::manualTitle, {u"使用说明", u"使用說明", u"マニュアル", u"설명서", u"Manual"}},
    {&MenuTexts::manualText,
     {u"1. 在各行输入文字，或勾选“位图”并装载图片（也可把图片拖到该行上）。\n"
      u"2. 选择速度、运动模式、闪烁和跑马灯；右侧的预览按胸牌的方式播放。\n"
      u"3. 用 USB 线连接胸牌，选择端口，然后按“发送”（Ctrl+Enter）。\n"
      u"4. “文件”菜单把整个设置（文字、图片和选项）保存为一个文件，也可导出预览动画。",
      u"1. 在各列輸入文字，或勾選「位圖」並裝載圖片（也可把圖片拖到該列上）。\n"
      u"2. 選擇速度、運動模式、閃爍和跑馬燈；旁邊的預覽按胸牌的方式播放。\n"
      u"3. 用 USB 線連接胸牌，選擇連接埠，然後按「傳送」（Ctrl+Enter）。\n"
      u"4. 「檔案」選單把整個設定（文字、圖片和選項）儲存為一個檔案，也可匯出預覽動畫。",
      u"1. 各行に文字を入力するか、「画像」にチェックして画像を読み込みます（画像を行にドロップしても構いません）。\n"
      u"2. 速度、移動モード、点滅、飾り枠を選びます。プレビューがバッジと同じように再生します。\n"
      u"3. USB ケーブルでバッジをつなぎ、ポートを選んで「転送」（Ctrl+Enter）を押します。\n"
      u"4. 「ファイル」メニューで設定全体（文字、画像、オプション）を 1 "
      u"つのファイルに保存でき、プレビューのアニメーションも書き出せます。",
      u"1. 각 행에 글자를 입력하거나 \"그림\"을 체크하고 그림을 불러옵니다 (그림을 행에 끌어다 놓아도 됩니다).\n"
      u"2. 속도, 이동모드, 점멸, 장식테두리를 고릅니다. 미리보기가 배지처럼 재생합니다.\n"
      u"3. USB 케이블로 배지를 연결하고 포트를 고른 뒤 \"전송\"(Ctrl+Enter)을 누릅니다.\n"
      u"4. \"파일\" 메뉴로 설정 전체(글자, 그림, 옵션)를 한 파일로 저장하고 미리보기 애니메이션도 내보낼 수 있습니다.",
      u"1. Type a text in a slot's row, or tick Image and load a picture (or drop one on the row).\n"
      u"2. Choose the speed, the move mode, Flash and Loop Lamp; the preview plays them as the badge will.\n"
      u"3. Connect the badge with its USB cable, choose the port and press Send (Ctrl+Enter).\n"
      u"4. The File menu keeps a whole setup (texts, pictures and options) in one file and exports the preview as "
      u"an animation."}},
    {&MenuTexts::alsoSendTo, {u"同时发送到 %1", u"同時傳送到 %1", u"%1 にも転送", u"%1에도 전송", u"Also send to %1"}},
};

} // namespace

const MenuTexts &menuTexts(int uiLanguage)
{
    static const std::array<MenuTexts, kUiLanguageCount> all = buildTextTable(kTexts);
    return textsFor(all, uiLanguage);
}

std::vector<FiveTexts> menuTextRows()
{
    return textsOf(kTexts);
}

} // namespace glintag
