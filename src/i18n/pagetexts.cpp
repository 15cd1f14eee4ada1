#include "i18n/pagetexts.h"

#include "i18n/languages.h"

#include <QJsonArray>

#include <array>

namespace glintag {

namespace {

struct PageText {
    const char *key;
    std::array<const char16_t *, kUiLanguageCount> texts; // the language box's order
};

// One row per text, one column per language, as in the caption tables.
const PageText kTexts[] = {
    {"title", {u"LED 胸牌", u"LED 胸牌", u"LED ネームバッジ", u"LED 이름 배지", u"LED name badge"}},
    {"slot", {u"消息%1", u"訊息%1", u"メッセージ%1", u"메시지%1", u"Slot %1"}},
    {"text", {u"文字", u"文字", u"テキスト", u"텍스트", u"Text"}},
    {"mode", {u"模式", u"模式", u"モード", u"모드", u"Mode"}},
    {"speed", {u"速度", u"速度", u"速度", u"속도", u"Speed"}},
    {"selected", {u"发送", u"傳送", u"転送する", u"전송", u"Send it"}},
    {"preview", {u"点阵预览", u"點陣預覽", u"ドットのプレビュー", u"점 미리 보기", u"Dot preview"}},
    {"send", {u"发送", u"傳送", u"転送", u"전송", u"Send"}},
    {"sending",
     {u"正在发送：%1 / %2 字节", u"正在傳送：%1 / %2 位元組", u"転送中：%1 / %2 バイト", u"전송 중: %1 / %2바이트",
      u"Sending: %1 of %2 bytes"}},
    {"waiting",
     {u"等待当前上传结束", u"等待目前的上傳結束", u"実行中の転送の終了待ち", u"현재 전송이 끝나기를 기다리는 중",
      u"Waiting for the running upload"}},
    {"idle", {u"就绪", u"就緒", u"準備完了", u"준비됨", u"Ready"}},
    {"portResult", {u"%1：%2", u"%1：%2", u"%1：%2", u"%1: %2", u"%1: %2"}},
    {"sent", {u"已发送 %1 字节", u"已傳送 %1 位元組", u"%1 バイト転送済み", u"%1바이트 전송됨", u"sent %1 bytes"}},
    {"stopped",
     {u"在 %1 字节后停止", u"在 %1 位元組後停止", u"%1 バイトで停止", u"%1바이트 후 중지됨",
      u"stopped after %1 bytes"}},
    {"stalled",
     {u"线路在 %1 字节后停止接收", u"線路在 %1 位元組後停止接收", u"%1 バイトで回線が止まりました",
      u"%1바이트 후 회선이 멈춤", u"the line stopped after %1 bytes"}},
    {"lineLost",
     {u"线路在 %1 字节后丢失", u"線路在 %1 位元組後遺失", u"%1 バイトで回線が切れました", u"%1바이트 후 회선이 끊김",
      u"the line was lost after %1 bytes"}},
    {"cannotOpen", {u"无法打开：%1", u"無法開啟：%1", u"開けません：%1", u"열 수 없음: %1", u"cannot open: %1"}},
    {"failed",
     {u"未被接受：%1", u"未被接受：%1", u"受け付けられませんでした：%1", u"받아들여지지 않음: %1",
      u"Not accepted: %1"}},
    {"offline",
     {u"与胸牌服务的连接已断开", u"與胸牌服務的連線已中斷", u"バッジのサーバーにつながりません",
      u"배지 서버와 연결이 끊겼습니다", u"No connection to the badge server"}},
    {"token",
     {u"请输入此胸牌的令牌：", u"請輸入此胸牌的權杖：", u"このバッジのトークンを入力してください：",
      u"이 배지의 토큰을 입력하세요:", u"This badge needs its token:"}},
};

} // namespace

QJsonObject pageTexts(int uiLanguage)
{
    if (uiLanguage < UiSimpChinese || uiLanguage > UiKorean)
        uiLanguage = UiEnglish;
    QJsonObject out;
    for (const PageText &t : kTexts)
        out.insert(QLatin1String(t.key), QString::fromUtf16(t.texts[size_t(uiLanguage)]));
    QJsonArray modes;
    for (const QString &m : languageRecord(uiLanguage).moveModes)
        modes.append(m);
    out.insert(QStringLiteral("modes"), modes);
    out.insert(QStringLiteral("lang"), uiLanguageCodes().value(uiLanguage));
    return out;
}

} // namespace glintag
