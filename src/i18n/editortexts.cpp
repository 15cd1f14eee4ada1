#include "i18n/editortexts.h"

#include "i18n/languages.h"
#include "i18n/texttable.h"

#include <array>
#include <cstddef>

namespace glintag {

namespace {

using TextRow = glintag::TextRow<EditorTexts>;

const TextRow kTexts[] = {
    {&EditorTexts::title,
     {u"点阵编辑 — 消息%1", u"點陣編輯 — 訊息%1", u"ドット編集 — メッセージ%1", u"점 편집 — 메시지%1",
      u"Dot editor — slot %1"}},
    {&EditorTexts::pen, {u"画笔", u"畫筆", u"ペン", u"펜", u"Pen"}},
    {&EditorTexts::penTip,
     {u"单击或拖动来点亮或熄灭点", u"單擊或拖動來點亮或熄滅點", u"クリックまたはドラッグでドットを点灯・消灯",
      u"클릭하거나 끌어서 점을 켜거나 끕니다", u"Click or drag to light or clear dots"}},
    {&EditorTexts::line, {u"直线", u"直線", u"直線", u"직선", u"Line"}},
    {&EditorTexts::lineTip,
     {u"从按下处拖到松开处画直线", u"從按下處拖到放開處畫直線", u"押した所から離した所まで直線を引く",
      u"누른 곳에서 뗀 곳까지 직선을 그립니다", u"Drag from one end to the other to draw a line"}},
    {&EditorTexts::rect, {u"矩形", u"矩形", u"四角形", u"사각형", u"Rectangle"}},
    {&EditorTexts::rectTip,
     {u"从一角拖到对角画矩形框", u"從一角拖到對角畫矩形框", u"角から対角までドラッグして四角形を描く",
      u"한 모서리에서 맞은편 모서리까지 끌어 사각형을 그립니다",
      u"Drag from one corner to the opposite one to draw a rectangle"}},
    {&EditorTexts::clear, {u"清除", u"清除", u"消去", u"지우기", u"Clear"}},
    {&EditorTexts::invert, {u"反相", u"反相", u"反転", u"반전", u"Invert"}},
    {&EditorTexts::shiftLeft, {u"左移一点", u"左移一點", u"1ドット左へ", u"한 점 왼쪽으로", u"Shift one dot left"}},
    {&EditorTexts::shiftRight, {u"右移一点", u"右移一點", u"1ドット右へ", u"한 점 오른쪽으로", u"Shift one dot right"}},
    {&EditorTexts::shiftUp, {u"上移一点", u"上移一點", u"1ドット上へ", u"한 점 위로", u"Shift one dot up"}},
    {&EditorTexts::shiftDown, {u"下移一点", u"下移一點", u"1ドット下へ", u"한 점 아래로", u"Shift one dot down"}},
    {&EditorTexts::fit, {u"适合窗口", u"適合視窗", u"全体表示", u"창에 맞춤", u"Zoom to fit"}},
    {&EditorTexts::fitTip,
     {u"缩放到图画正好填满窗口", u"縮放到圖畫正好填滿視窗", u"絵がちょうど収まる大きさに拡大・縮小",
      u"그림이 창에 꼭 맞도록 확대/축소합니다", u"Zoom so that the drawing fills the window"}},
    {&EditorTexts::undo, {u"撤销", u"復原", u"元に戻す", u"실행 취소", u"Undo"}},
    {&EditorTexts::redo, {u"重做", u"重做", u"やり直し", u"다시 실행", u"Redo"}},
    {&EditorTexts::icon, {u"图标：", u"圖示：", u"アイコン：", u"아이콘:", u"Icon:"}},
    {&EditorTexts::insertIcon, {u"插入", u"插入", u"挿入", u"삽입", u"Insert"}},
    {&EditorTexts::insertIconTip,
     {u"在光标处插入所选图标", u"在游標處插入所選圖示", u"カーソル位置に選んだアイコンを挿入",
      u"커서 위치에 선택한 아이콘을 넣습니다", u"Insert the chosen icon at the cursor"}},
    {&EditorTexts::frames,
     {u"第 %1 帧，共 %2 帧（每帧 %3 列）", u"第 %1 格，共 %2 格（每格 %3 欄）", u"コマ %1 / %2（1コマ %3 列）",
      u"%1 / %2 프레임 (프레임당 %3열)", u"Frame %1 of %2 (%3 columns each)"}},
    {&EditorTexts::addFrame, {u"添加帧", u"新增格", u"コマ追加", u"프레임 추가", u"Add frame"}},
    {&EditorTexts::duplicateFrame, {u"复制帧", u"複製格", u"コマ複製", u"프레임 복제", u"Duplicate"}},
    {&EditorTexts::deleteFrame, {u"删除帧", u"刪除格", u"コマ削除", u"프레임 삭제", u"Delete frame"}},
    {&EditorTexts::frameEarlier, {u"前移", u"前移", u"前へ", u"앞으로", u"Move earlier"}},
    {&EditorTexts::frameLater, {u"后移", u"後移", u"後へ", u"뒤로", u"Move later"}},
    {&EditorTexts::keysTip,
     {u"单击或拖动画点。方向键移动光标，空格键切换光标处的点。",
      u"單擊或拖動畫點。方向鍵移動游標，空白鍵切換游標處的點。",
      u"クリックかドラッグで描きます。矢印キーでカーソルを動かし、スペースでその点を切り替えます。",
      u"클릭하거나 끌어서 그립니다. 화살표 키로 커서를 옮기고 스페이스로 커서의 점을 바꿉니다.",
      u"Click or drag to draw. The arrow keys move the cursor; Space toggles the dot under it."}},
    {&EditorTexts::stripTip,
     {u"双击（或按 F2）用点阵编辑器绘制", u"雙擊（或按 F2）用點陣編輯器繪製",
      u"ダブルクリック（または F2）でドット編集", u"두 번 클릭 (또는 F2) 하면 점 편집기가 열립니다",
      u"Double-click (or press F2) to draw in the dot editor"}},
    {&EditorTexts::gifQuestion,
     {u"该 GIF 有 %1 帧。要把它作为动画帧并排放入消息1（可放 %2 帧）并把模式设为动画吗？",
      u"此 GIF 有 %1 格。要把它作為動畫格並排放入訊息1（可放 %2 格）並把模式設為動畫嗎？",
      u"この GIF には %1 コマあります。メッセージ1 にアニメーションのコマとして並べ（%2 "
      u"コマまで）、モードをアニメーションにしますか？",
      u"이 GIF에는 %1개의 프레임이 있습니다. 메시지1에 애니메이션 프레임으로 나란히 넣고 (%2개까지) 모드를 "
      u"애니메이션으로 바꿀까요?",
      u"This GIF has %1 frames. Lay them side by side in slot 1 as animation frames (up to %2) and set its mode to "
      u"Animation?"}},
    {&EditorTexts::gifTitle, {u"动画 GIF", u"動畫 GIF", u"アニメーション GIF", u"애니메이션 GIF", u"Animated GIF"}},
    {&EditorTexts::gifCapped,
     {u"GIF 有 %1 帧，4096 列只能放 %2 帧（每帧 %3 列）；其余的没有放入。",
      u"GIF 有 %1 格，4096 欄只能放 %2 格（每格 %3 欄）；其餘的沒有放入。",
      u"GIF には %1 コマありますが、4096 列に入るのは %2 コマ（1コマ %3 列）です。残りは入りません。",
      u"GIF에 %1개의 프레임이 있지만 4096열에는 %2개 (프레임당 %3열)만 들어갑니다. 나머지는 넣지 않았습니다.",
      u"The GIF has %1 frames; 4096 columns hold %2 of them (%3 columns each). The rest were left out."}},
    {&EditorTexts::gridName, {u"点阵", u"點陣", u"ドット", u"점", u"Dots"}},
    {&EditorTexts::gridScrollName,
     {u"滚动点阵", u"捲動點陣", u"ドットのスクロール", u"도트 스크롤", u"Scroll the dots"}},
    {&EditorTexts::apply, {u"应用", u"套用", u"適用", u"적용", u"Apply"}},
    {&EditorTexts::cancel, {u"取消", u"取消", u"キャンセル", u"취소", u"Cancel"}},
    {&EditorTexts::text, {u"文字：", u"文字：", u"文字：", u"글자:", u"Text:"}},
    {&EditorTexts::textTip,
     {u"用任意已安装的字体写一行字，12 点高，可写徽章字库没有的文字和表情符号",
      u"用任意已安裝的字型寫一行字，12 點高，可寫徽章字庫沒有的文字和表情符號",
      u"インストール済みの任意のフォントで 12 ドットの高さに書きます。バッジのフォントにない文字や絵文字も書けます",
      u"설치된 아무 글꼴로 12점 높이의 글을 씁니다. 배지 글꼴에 없는 문자와 이모지도 쓸 수 있습니다",
      u"A line of text in any installed font, 12 dots high: also scripts and emoji the badge's fonts lack"}},
    {&EditorTexts::font, {u"字体：", u"字型：", u"フォント：", u"글꼴:", u"Font:"}},
    {&EditorTexts::threshold, {u"阈值：", u"閾值：", u"しきい値：", u"임계값:", u"Threshold:"}},
    {&EditorTexts::thresholdTip,
     {u"亮度达到此值的像素成为亮点：值越小笔画越粗", u"亮度達到此值的像素成為亮點：值越小筆畫越粗",
      u"この明るさ以上の画素が点灯します。小さいほど線が太くなります",
      u"이 밝기 이상의 픽셀이 켜집니다. 작을수록 획이 굵어집니다",
      u"Pixels at least this bright become lit dots: lower makes the strokes bolder"}},
    {&EditorTexts::placeText, {u"放置", u"放置", u"配置", u"배치", u"Place"}},
    {&EditorTexts::placeTextTip,
     {u"把预览中的文字放到光标处", u"把預覽中的文字放到游標處", u"プレビューの文字をカーソル位置に置く",
      u"미리 보기의 글자를 커서 위치에 놓습니다", u"Put the previewed text at the cursor"}},
    {&EditorTexts::photoTitle,
     {u"照片 — 消息%1", u"照片 — 訊息%1", u"写真 — メッセージ%1", u"사진 — 메시지%1", u"Photo — slot %1"}},
    {&EditorTexts::photoIntro,
     {u"这张图片没有一个点按通常规则（红色 128 以上）点亮。要改为按亮度点亮吗？",
      u"這張圖片沒有一個點按通常規則（紅色 128 以上）點亮。要改為按亮度點亮嗎？",
      u"この画像には通常の規則（赤 128 以上）で点灯する点がありません。明るさで点灯させますか？",
      u"이 그림에는 일반 규칙 (빨강 128 이상)으로 켜지는 점이 없습니다. 밝기로 켤까요?",
      u"Nothing in this picture lights a dot by the usual rule (red 128 or more). Light the dots by brightness "
      u"instead?"}},
    {&EditorTexts::asLoaded, {u"装载时", u"裝載時", u"読み込んだまま", u"불러온 그대로", u"As loaded"}},
    {&EditorTexts::byThreshold,
     {u"亮度阈值", u"亮度閾值", u"明るさのしきい値", u"밝기 임계값", u"Brightness threshold"}},
    {&EditorTexts::byDither, {u"有序抖动", u"有序抖動", u"組織的ディザ", u"순서 디더링", u"Ordered dither"}},
    {&EditorTexts::keepAsLoaded, {u"保持原样", u"保持原樣", u"そのままにする", u"그대로 두기", u"Keep as loaded"}},
    {&EditorTexts::previewName, {u"文字预览", u"文字預覽", u"文字のプレビュー", u"글자 미리 보기", u"Text preview"}},
};

} // namespace

const EditorTexts &editorTexts(int uiLanguage)
{
    static const std::array<EditorTexts, kUiLanguageCount> all = buildTextTable(kTexts);
    return textsFor(all, uiLanguage);
}

std::vector<FiveTexts> editorTextRows()
{
    return textsOf(kTexts);
}

} // namespace glintag
