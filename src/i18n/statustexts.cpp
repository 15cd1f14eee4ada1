#include "i18n/statustexts.h"

#include <array>
#include <cstddef>

namespace glintag {

namespace {

// One row per text, one column per language in languageBox order, like the
// caption table, so a translation can be checked across the row.
struct TextRow {
    QString StatusTexts::*field;
    std::array<const char16_t *, 5> texts;
};

const TextRow kTexts[] = {
    {&StatusTexts::stopButton, {u"停  止", u"停  止", u"中  止", u"중  지", u"Stop"}},
    {&StatusTexts::sending,
     {u"正在发送：%1 / %2 字节，还剩 %3 秒", u"正在傳送：%1 / %2 位元組，還剩 %3 秒",
      u"転送中：%1 / %2 バイト、残り %3 秒", u"전송 중: %1 / %2 바이트, 남은 시간 %3초",
      u"Sending: %1 of %2 bytes, %3 s left"}},
    {&StatusTexts::sent,
     {u"已发送 %1 字节，用时 %2 秒", u"已傳送 %1 位元組，用時 %2 秒", u"%1 バイトを %2 秒で転送しました",
      u"%1바이트를 %2초 동안 전송했습니다", u"Sent %1 bytes in %2 s"}},
    {&StatusTexts::stopped,
     {u"已停止：发送了 %1 / %2 字节，胸牌现在可能只存有部分信息",
      u"已停止：傳送了 %1 / %2 位元組，胸牌現在可能只存有部分訊息",
      u"中止しました：%1 / %2 バイト転送済み。バッジには一部のメッセージしか残っていない可能性があります",
      u"중지됨: %1 / %2 바이트 전송. 배지에 메시지 일부만 남아 있을 수 있습니다",
      u"Stopped after %1 of %2 bytes: the badge may now hold part of a message"}},
    {&StatusTexts::stalled,
     {u"线路不再接收数据，已停止：发送了 %1 / %2 字节", u"線路不再接收資料，已停止：傳送了 %1 / %2 位元組",
      u"回線がデータを受け付けなくなったため中止しました：%1 / %2 バイト転送済み",
      u"회선이 데이터를 더 받지 않아 중지됨: %1 / %2 바이트 전송",
      u"The line stopped taking data: %1 of %2 bytes got through"}},
    {&StatusTexts::lineLost,
     {u"端口在发送中断开：发送了 %1 / %2 字节", u"連接埠在傳送中斷開：傳送了 %1 / %2 位元組",
      u"転送中にポートが切断されました：%1 / %2 バイト転送済み", u"전송 중 포트 연결이 끊어짐: %1 / %2 바이트 전송",
      u"The port went away during the upload: %1 of %2 bytes got through"}},
    {&StatusTexts::writesRefused,
     {u"端口拒绝写入数据：发送了 %1 / %2 字节", u"連接埠拒絕寫入資料：傳送了 %1 / %2 位元組",
      u"ポートがデータの書き込みを拒否しました：%1 / %2 バイト転送済み",
      u"포트가 데이터 쓰기를 거부함: %1 / %2 바이트 전송", u"The port refused the data: %1 of %2 bytes got through"}},
    {&StatusTexts::pictureMissing,
     {u"无法读取第 %1 条保存的图片（%2），画布为空；该文件原样保留",
      u"無法讀取第 %1 條保存的圖片（%2），畫布為空；該檔案原樣保留",
      u"メッセージ %1 の保存画像（%2）を読み込めません。画像は空です。ファイルはそのまま残します",
      u"메시지 %1의 저장된 그림(%2)을 읽을 수 없어 빈 그림으로 시작합니다. 파일은 그대로 둡니다",
      u"The picture kept for slot %1 (%2) could not be read; its canvas is blank and the file is left as it is"}},
    {&StatusTexts::portAllowed,
     {u"请输入 COM1 到 COM32，或设备路径（例如 /dev/ttyUSB0）",
      u"請輸入 COM1 到 COM32，或裝置路徑（例如 /dev/ttyUSB0）",
      u"COM1～COM32、またはデバイスのパス（例：/dev/ttyUSB0）を入力してください",
      u"COM1~COM32 또는 장치 경로(예: /dev/ttyUSB0)를 입력하십시오",
      u"Type COM1 to COM32, or a device path such as /dev/ttyUSB0"}},

    {&StatusTexts::languageTip,
     {u"界面语言，也决定文字所用的字库", u"介面語言，也決定文字所用的字庫",
      u"画面の言語。文字に使うフォントもこれで決まります", u"화면 언어. 글자에 쓰는 글꼴도 이것으로 정해집니다",
      u"Language of the window; it also chooses the font files texts are drawn with"}},
    {&StatusTexts::brightnessTip,
     {u"胸牌亮度：1 最暗，4 最亮", u"胸牌亮度：1 最暗，4 最亮", u"バッジの明るさ：1 が最も暗く、4 が最も明るい",
      u"배지 밝기: 1이 가장 어둡고 4가 가장 밝음", u"Brightness of the badge: 1 dimmest, 4 brightest"}},
    {&StatusTexts::modelTip,
     {u"胸牌型号（R1 或 R2），决定汉字间距和动画的排列", u"胸牌型號（R1 或 R2），決定漢字間距和動畫的排列",
      u"バッジのモデル（R1 または R2）。全角文字の間隔とアニメーションの並びが変わります",
      u"배지 모델(R1 또는 R2). 전각 문자 간격과 애니메이션 배치가 달라집니다",
      u"Badge model (R1 or R2); it sets the spacing of wide characters and of animation frames"}},
    {&StatusTexts::portTip,
     {u"胸牌所接的串口；每次打开列表都会重新查找端口", u"胸牌所接的串列埠；每次打開清單都會重新尋找連接埠",
      u"バッジをつないだシリアルポート。一覧を開くたびに探し直します",
      u"배지를 연결한 직렬 포트. 목록을 열 때마다 다시 찾습니다",
      u"Serial port the badge is connected to; the list is searched again each time it opens"}},
    {&StatusTexts::progressTip,
     {u"已发送的点阵行数（共 12 行）", u"已傳送的點陣行數（共 12 行）", u"転送済みのドット行（全 12 行）",
      u"전송된 도트 행 수(모두 12행)", u"Dot rows sent so far (12 in all)"}},
    {&StatusTexts::sendTip,
     {u"把选中的信息发送到胸牌（Ctrl+Enter）", u"把選取的訊息傳送到胸牌（Ctrl+Enter）",
      u"選択したメッセージをバッジへ転送（Ctrl+Enter）", u"선택한 메시지를 배지로 전송(Ctrl+Enter)",
      u"Send the selected slots to the badge (Ctrl+Return)"}},
    {&StatusTexts::exitTip,
     {u"保存设置并关闭窗口", u"保存設定並關閉視窗", u"設定を保存してウィンドウを閉じます",
      u"설정을 저장하고 창을 닫습니다", u"Save the settings and close the window"}},
    {&StatusTexts::stopTip,
     {u"立即停止发送（Esc）；胸牌可能只收到部分信息", u"立即停止傳送（Esc）；胸牌可能只收到部分訊息",
      u"すぐに転送を中止します（Esc）。バッジには一部だけが届いている場合があります",
      u"즉시 전송을 중지합니다(Esc). 배지에는 일부만 전달되었을 수 있습니다",
      u"Stop the upload now (Esc); the badge may be left with part of the message"}},

    {&StatusTexts::selectTip,
     {u"勾选的信息才会发送到胸牌", u"勾選的訊息才會傳送到胸牌", u"チェックしたメッセージだけがバッジへ転送されます",
      u"체크한 메시지만 배지로 전송됩니다", u"Only ticked slots are sent to the badge"}},
    {&StatusTexts::textTip,
     {u"信息的文字；勾选位图时显示图片", u"訊息的文字；勾選位圖時顯示圖片",
      u"メッセージの文字。画像をチェックすると画像になります", u"메시지 글자. 그림을 체크하면 그림이 됩니다",
      u"The slot's text, or its picture when Image is ticked"}},
    {&StatusTexts::imageTip,
     {u"发送装载的图片而不是文字", u"傳送裝載的圖片而不是文字", u"文字の代わりに読み込んだ画像を転送します",
      u"글자 대신 불러온 그림을 전송합니다", u"Send a loaded picture instead of the text"}},
    {&StatusTexts::verticalTip,
     {u"用竖排字库显示汉字（胸牌侧放时阅读）", u"用豎排字庫顯示漢字（胸牌側放時閱讀）",
      u"全角文字を縦書き用フォントで表示します（バッジを横向きにして読む場合）",
      u"전각 문자를 세로쓰기 글꼴로 표시합니다(배지를 옆으로 세워 읽을 때)",
      u"Draw wide characters with the vertical font, for a badge worn on its side"}},
    {&StatusTexts::speedTip,
     {u"信息移动的速度：1 最慢，8 最快", u"訊息移動的速度：1 最慢，8 最快",
      u"メッセージの動く速さ：1 が最も遅く、8 が最も速い", u"메시지가 움직이는 속도: 1이 가장 느리고 8이 가장 빠름",
      u"How fast the message moves: 1 slowest, 8 fastest"}},
    {&StatusTexts::modeTip,
     {u"信息在屏上出现和移动的方式", u"訊息在螢幕上出現和移動的方式", u"メッセージの現れ方と動き方",
      u"메시지가 나타나고 움직이는 방식", u"How the message comes onto the display and moves across it"}},
    {&StatusTexts::flashTip,
     {u"信息闪烁显示", u"訊息閃爍顯示", u"メッセージを点滅させます", u"메시지를 깜박이게 합니다",
      u"The message blinks"}},
    {&StatusTexts::borderTip,
     {u"显示这条信息时，屏幕边缘有一圈跑动的灯", u"顯示這條訊息時，螢幕邊緣有一圈跑動的燈",
      u"このメッセージの表示中、画面の縁を光が走ります",
      u"이 메시지를 보여 주는 동안 화면 가장자리를 따라 불빛이 돕니다",
      u"While this message shows, a lamp runs around the edge of the display"}},
    {&StatusTexts::alternateTip,
     {u"勾选的相邻信息交替显示，而不是一条接一条", u"勾選的相鄰訊息交替顯示，而不是一條接一條",
      u"チェックした隣り合うメッセージを順番ではなく交互に表示します",
      u"체크한 이웃 메시지를 차례대로가 아니라 번갈아 보여 줍니다",
      u"Ticked neighbouring slots are shown taking turns rather than one after the other"}},
    {&StatusTexts::sendingQuiet,
     {u"正在发送：%1 / %2 字节；线路已 %3 秒没有接收数据", u"正在傳送：%1 / %2 位元組；線路已 %3 秒沒有接收資料",
      u"転送中：%1 / %2 バイト。回線が %3 秒間データを受け取っていません",
      u"전송 중: %1 / %2 바이트. 회선이 %3초 동안 데이터를 받지 않았습니다",
      u"Sending: %1 of %2 bytes; the line has taken nothing for %3 s"}},
    {&StatusTexts::stoppedBeforeAny,
     {u"已停止：%1 字节中一个也没有发出，胸牌上的内容没有改变",
      u"已停止：%1 位元組中一個也沒有送出，胸牌上的內容沒有改變",
      u"中止しました：%1 バイトはどれも送られていません。バッジの内容は変わりません",
      u"중지됨: %1바이트 중 아무것도 보내지 않았습니다. 배지 내용은 그대로입니다",
      u"Stopped before any of the %1 bytes went out: the badge is unchanged"}},
    {&StatusTexts::gaugeUse,
     {u"每行 512 字节中已用 %1 字节", u"每行 512 位元組中已用 %1 位元組", u"1行 512 バイト中 %1 バイト使用",
      u"행당 512바이트 중 %1바이트 사용", u"%1 of 512 bytes per row"}},
    {&StatusTexts::gaugeUseTip,
     {u"胸牌每行点阵共有 512 字节，由所有选中的信息共用；超出的部分会被截掉",
      u"胸牌每行點陣共有 512 位元組，由所有選取的訊息共用；超出的部分會被截掉",
      u"バッジのドット行は 1 行 512 バイトで、選択したすべてのメッセージで共有します。はみ出た分は切り捨てられます",
      u"배지의 도트 행은 행당 512바이트이며 선택한 모든 메시지가 함께 씁니다. 넘치는 부분은 잘립니다",
      u"Each dot row of the badge holds 512 bytes, shared by all selected slots; whatever does not fit is cut"}},

    {&StatusTexts::loadTip,
     {u"装载一幅图片（BMP、PNG、GIF、JPEG 或 ICO）；只有红色 ≥ 128 的点会亮",
      u"裝載一幅圖片（BMP、PNG、GIF、JPEG 或 ICO）；只有紅色 ≥ 128 的點會亮",
      u"画像（BMP、PNG、GIF、JPEG、ICO）を読み込みます。赤が 128 以上の点だけが点灯します",
      u"그림(BMP, PNG, GIF, JPEG, ICO)을 불러옵니다. 빨강이 128 이상인 점만 켜집니다",
      u"Load a picture (BMP, PNG, GIF, JPEG or ICO); only dots with red of 128 or more light up"}},
    {&StatusTexts::saveTip,
     {u"把这条信息的图片保存为 BMP 文件", u"把這條訊息的圖片保存為 BMP 檔案",
      u"このメッセージの画像を BMP ファイルに保存します", u"이 메시지의 그림을 BMP 파일로 저장합니다",
      u"Save this slot's picture as a BMP file"}},
    {&StatusTexts::pictureTip,
     {u"发送的图片：高 12 点，最多 4096 点宽", u"傳送的圖片：高 12 點，最多 4096 點寬",
      u"転送する画像：高さ 12 ドット、幅は最大 4096 ドット", u"전송할 그림: 높이 12점, 너비 최대 4096점",
      u"The picture that is sent: 12 dots high, up to 4,096 wide"}},
    {&StatusTexts::panTip,
     {u"左右移动以查看图片的其他部分（只改变显示，不改变发送内容）",
      u"左右移動以查看圖片的其他部分（只改變顯示，不改變傳送內容）",
      u"左右に動かして画像の他の部分を表示します（表示だけが変わり、転送内容は変わりません）",
      u"좌우로 움직여 그림의 다른 부분을 봅니다(표시만 바뀌고 전송 내용은 바뀌지 않습니다)",
      u"Scroll to see other parts of the picture (only the view moves; what is sent stays)"}},
    {&StatusTexts::gaugeTip,
     {u"胸牌内存中每条信息所占的部分，各用其颜色表示；每行最多 512 字节",
      u"胸牌記憶體中每條訊息所佔的部分，各用其顏色表示；每行最多 512 位元組",
      u"バッジのメモリで各メッセージが占める部分をその色で示します。1行は最大 512 バイトです",
      u"배지 메모리에서 각 메시지가 차지하는 부분을 그 색으로 보여 줍니다. 한 행은 최대 512바이트입니다",
      u"How much of the badge's memory each slot takes, in the slot's colour; a row holds at most 512 bytes"}},
    {&StatusTexts::slotName, {u"消息%1", u"訊息%1", u"メッセージ%1", u"메시지%1", u"Slot %1"}},
    {&StatusTexts::panName, {u"图片位置", u"圖片位置", u"画像の位置", u"그림 위치", u"Picture position"}},
    {&StatusTexts::allFiles, {u"所有文件", u"所有檔案", u"すべてのファイル", u"모든 파일", u"All files"}},
    {&StatusTexts::picturesNotSaved,
     {u"第 %1 条的图片未能保存；设置仍使用之前保存的图片，那些文件都还在",
      u"第 %1 條的圖片未能保存；設定仍使用之前保存的圖片，那些檔案都還在",
      u"メッセージ %1 の画像を保存できませんでした。設定は以前に保存した画像のままで、そのファイルも残っています",
      u"메시지 %1의 그림을 저장하지 못했습니다. 설정은 이전에 저장한 그림을 그대로 쓰며 그 파일도 남아 있습니다",
      u"The pictures of slots %1 could not be saved; the settings still use the pictures saved before, and "
      u"those files are still in place"}},
};

std::array<StatusTexts, 5> buildTexts()
{
    std::array<StatusTexts, 5> all{};
    for (std::size_t lang = 0; lang < all.size(); ++lang)
        for (const TextRow &row : kTexts)
            all[lang].*row.field = QString::fromUtf16(row.texts[lang]);
    return all;
}

} // namespace

const StatusTexts &statusTexts(int uiLanguage)
{
    static const std::array<StatusTexts, 5> all = buildTexts();
    if (uiLanguage < 0 || uiLanguage > 3)
        uiLanguage = 4;
    return all[std::size_t(uiLanguage)];
}

} // namespace glintag
