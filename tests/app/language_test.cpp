#include "windowfixture.h"

#include "app/stripwidgets.h"
#include "i18n/columnlayout.h"
#include "i18n/languages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <functional>

using namespace glintag;

namespace {

constexpr int px(int twips) { return twips / 15; }

const int kIndexes[] = {0, 1, 2, 3, 4, -1};

std::string nameOf(int index)
{
    return index == -1 ? std::string("no selection") : uiLanguageNames().at(index).toStdString();
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The controls whose size and top no language may touch (LblAlternate's
// width excepted).
QList<QWidget *> fixedSizeControls(Form1 &w)
{
    QList<QWidget *> list = {w.LblTitle,    w.LblSelect, w.LblText,   w.LblImage,    w.LblVShw,    w.LblSpeed,
                             w.LblMode,     w.LblFlash,  w.LblLoopLamp, w.LblLanguage, w.LblBright, w.LblType,
                             w.LblPort,     w.LblUseing, w.ComLanguage, w.ComBright,   w.ComType,   w.ComSele,
                             w.CmdSend,     w.CmdExit,   w.Picture2};
    for (int i = 0; i < kSlotCount; ++i)
        list << w.TxtMsg[i] << w.ChkSel[i] << w.ChkImg[i] << w.ChkVShow[i] << w.ComSpd[i] << w.ComMod[i]
             << w.ChkFls[i] << w.ChkRun[i] << w.ChkAlt[i] << w.CmdLdPic[i] << w.CmdSvPic[i];
    return list;
}

// Every movable control of the window, for comparing whole layouts.
QList<QRect> layoutOf(Form1 &w)
{
    QList<QRect> rects;
    for (QWidget *c : fixedSizeControls(w))
        rects << c->geometry();
    rects << w.LblAlternate->geometry();
    return rects;
}

// What the window must show for the record of `index`.
void expectRecordApplied(Form1 &w, int index, const std::string &where)
{
    const LanguageRecord &rec = languageRecord(index);
    const bool cjk = index >= 0 && index <= 3;
    ASSERT_EQ(rec.showsVerticalShow, cjk) << where;

    const std::pair<QWidget *, QString> captions[] = {
        {w.LblTitle, rec.LblTitle},       {w.LblSelect, rec.LblSelect},     {w.LblText, rec.LblText},
        {w.LblImage, rec.LblImage},       {w.LblSpeed, rec.LblSpeed},       {w.LblMode, rec.LblMode},
        {w.LblFlash, rec.LblFlash},       {w.LblLoopLamp, rec.LblLoopLamp}, {w.LblAlternate, rec.LblAlternate},
        {w.LblLanguage, rec.LblLanguage}, {w.LblBright, rec.LblBright},     {w.LblPort, rec.LblPort},
        {w.LblType, rec.LblType},         {w.LblUseing, rec.LblUseing},     {w.CmdSend, rec.CmdSend},
        {w.CmdExit, rec.CmdExit},
    };
    for (const auto &[control, text] : captions) {
        const QString shown = qobject_cast<QLabel *>(control) ? static_cast<QLabel *>(control)->text()
                                                               : static_cast<QPushButton *>(control)->text();
        EXPECT_EQ(shown, text) << where;
    }
    if (cjk) {
        EXPECT_EQ(w.LblVShw->text(), rec.LblVShw) << where;
    }
    EXPECT_EQ(w.LblVShw->isHidden(), !cjk) << where;

    const QStringList families = fontFamiliesForCharset(rec.charset);
    for (QWidget *c : {static_cast<QWidget *>(&w), static_cast<QWidget *>(w.LblTitle), static_cast<QWidget *>(w.LblUseing),
                       static_cast<QWidget *>(w.CmdExit)})
        EXPECT_EQ(c->font().families(), families) << where;
    EXPECT_DOUBLE_EQ(w.LblTitle->font().pointSizeF(), 20.25) << where;
    EXPECT_TRUE(w.LblTitle->font().bold() && w.LblTitle->font().italic() && w.LblTitle->font().underline()) << where;

    // Settings row: left edges in window pixels; tops never move.
    const SettingsRowLefts &row = rec.settingsRow;
    const std::pair<QWidget *, int> lefts[] = {
        {w.LblLanguage, px(240)},        {w.ComLanguage, row.ComLanguage}, {w.LblBright, row.LblBright},
        {w.ComBright, row.ComBright},    {w.LblType, row.LblType},         {w.ComType, row.ComType},
        {w.LblPort, row.LblPort},        {w.ComSele, row.ComSele},
    };
    for (const auto &[control, left] : lefts)
        EXPECT_EQ(control->x(), left) << where << " " << control->metaObject()->className();
    for (QWidget *label : {w.LblLanguage, w.LblBright, w.LblType, w.LblPort})
        EXPECT_EQ(label->y(), px(9045)) << where;
    for (QWidget *combo : {w.ComLanguage, w.ComBright, w.ComType, w.ComSele})
        EXPECT_EQ(combo->y(), px(9000)) << where;

    // Column headers and slot rows, in twips inside the slot frame.
    const ColumnLayout &cols = columnLayoutFor(index);
    const std::pair<QWidget *, int> headers[] = {
        {w.LblImage, cols.LblImage}, {w.LblSpeed, cols.LblSpeed},       {w.LblMode, cols.LblMode},
        {w.LblFlash, cols.LblFlash}, {w.LblLoopLamp, cols.LblLoopLamp}, {w.LblAlternate, cols.LblAlternate},
        {w.LblVShw, cols.LblVShw},
    };
    for (const auto &[label, left] : headers) {
        EXPECT_EQ(label->x(), px(left)) << where << " " << static_cast<QLabel *>(label)->text().toStdString();
        EXPECT_EQ(label->y(), px(240)) << where;
    }
    EXPECT_EQ(w.LblAlternate->width(), px(cols.LblAlternateWidth)) << where;

    for (int i = 0; i < kSlotCount; ++i) {
        const std::string at = where + " slot " + std::to_string(i);
        const std::pair<QWidget *, int> controls[] = {
            {w.ChkImg[i], cols.ChkImg}, {w.ComSpd[i], cols.ComSpd}, {w.ComMod[i], cols.ComMod},
            {w.ChkFls[i], cols.ChkFls}, {w.ChkRun[i], cols.ChkRun}, {w.ChkAlt[i], cols.ChkAlt},
            {w.ChkVShow[i], cols.ChkVShow},
        };
        for (const auto &[control, left] : controls) {
            EXPECT_EQ(control->x(), px(left)) << at;
            EXPECT_EQ(control->y(), px(600 + 480 * i)) << at;
        }
        EXPECT_EQ(w.ChkVShow[i]->isHidden(), !cjk) << at;
        EXPECT_EQ(w.CmdLdPic[i]->text(), rec.CmdLdPic) << at;
        EXPECT_EQ(w.CmdSvPic[i]->text(), rec.CmdSvPic) << at;
        ASSERT_EQ(w.ComMod[i]->count(), i == 0 ? 8 : 7) << at;
        for (int k = 0; k < w.ComMod[i]->count(); ++k)
            EXPECT_EQ(w.ComMod[i]->itemText(k), rec.moveModes[k]) << at << " item " << k;
        for (QWidget *c : {static_cast<QWidget *>(w.TxtMsg[i]), static_cast<QWidget *>(w.CmdLdPic[i]),
                           static_cast<QWidget *>(w.CmdSvPic[i]), static_cast<QWidget *>(w.ComMod[i])})
            EXPECT_EQ(c->font().families(), families) << at;
        EXPECT_EQ(w.TxtMsg[i]->font().pointSize(), 9) << at;
    }
}

} // namespace

using LanguageTest = WindowTest;

// Every language reached from every other one shows exactly its own record,
// touches no size or top, keeps every move mode and renders nothing.
TEST_F(LanguageTest, EveryLanguageFromEveryOther)
{
    auto w = makeWindow();
    waitForFirstRendering(*w);
    for (int i = 0; i < kSlotCount; ++i)
        w->ComMod[i]->setCurrentIndex(i == 0 ? 7 : i % 7);
    QList<QSize> sizes;
    QList<int> tops;
    for (QWidget *c : fixedSizeControls(*w)) {
        sizes << c->size();
        tops << c->y();
    }
    const QString titleBar = w->windowTitle();
    const RowBytes rowBytes = w->rowBytes();
    const DotBuffer dots = w->dotBuffer();
    const QImage gauge = w->Picture2->image();
    const int runs = w->renderRuns();

    for (int to : kIndexes)
        for (int from : kIndexes) {
            if (from == to)
                continue;
            w->ComLanguage->setCurrentIndex(from);
            w->ComLanguage->setCurrentIndex(to);
            const std::string where = nameOf(from) + " -> " + nameOf(to);
            expectRecordApplied(*w, to, where);
            QList<QSize> nowSizes;
            QList<int> nowTops;
            for (QWidget *c : fixedSizeControls(*w)) {
                nowSizes << c->size();
                nowTops << c->y();
            }
            EXPECT_EQ(nowSizes, sizes) << where;
            EXPECT_EQ(nowTops, tops) << where;
            for (int i = 0; i < kSlotCount; ++i)
                EXPECT_EQ(w->ComMod[i]->currentIndex(), i == 0 ? 7 : i % 7) << where << " slot " << i;
            EXPECT_EQ(w->ComLanguage->count(), 5);
            EXPECT_EQ(w->windowTitle(), titleBar);
        }
    EXPECT_EQ(w->renderRuns(), runs) << "a language change rendered";
    EXPECT_EQ(w->rowBytes(), rowBytes);
    EXPECT_TRUE(w->dotBuffer().bytes == dots.bytes);
    EXPECT_EQ(w->Picture2->image(), gauge);
}

// A few entries typed from the tables themselves, so a slip in the records
// cannot hide behind a comparison with the records.
TEST_F(LanguageTest, SpotChecksAgainstTheTables)
{
    auto w = makeWindow();
    struct Case {
        int index;
        const char *what;
        std::function<QString(Form1 &)> shown;
        QString expected;
    } cases[] = {
        {4, "English title, 5 + 4 spaces", [](Form1 &f) { return f.LblTitle->text(); }, QStringLiteral("     Glintag    ")},
        {-1, "no selection is English", [](Form1 &f) { return f.LblType->text(); }, QStringLiteral("Type :")},
        {0, "SimpChinese title, 4 + 4 spaces", [](Form1 &f) { return f.LblTitle->text(); }, QStringLiteral("    Glintag    ")},
        {0, "SimpChinese Send", [](Form1 &f) { return f.CmdSend->text(); }, QStringLiteral("发  送")},
        {1, "TradChinese Load", [](Form1 &f) { return f.CmdLdPic[9]->text(); }, QStringLiteral("裝載圖片")},
        {1, "TradChinese Memory", [](Form1 &f) { return f.LblUseing->text(); }, QStringLiteral("內存使用狀態：")},
        {2, "Japanese Pile Up", [](Form1 &f) { return f.ComMod[4]->itemText(5); }, QStringLiteral("積み重ね")},
        {2, "Japanese vertical show", [](Form1 &f) { return f.LblVShw->text(); }, QStringLiteral("縦に表示")},
        {2, "Japanese Port", [](Form1 &f) { return f.LblPort->text(); }, QStringLiteral("通信ポート：")},
        {3, "Korean Loop Lamp", [](Form1 &f) { return f.LblLoopLamp->text(); }, QStringLiteral(" 장식테두리")},
        {3, "Korean Animation", [](Form1 &f) { return f.ComMod[0]->itemText(7); }, QStringLiteral("애니메이션")},
        {3, "Korean Exit", [](Form1 &f) { return f.CmdExit->text(); }, QStringLiteral("닫  기")},
    };
    for (const Case &c : cases) {
        w->ComLanguage->setCurrentIndex(c.index == 4 ? 2 : 4);
        w->ComLanguage->setCurrentIndex(c.index);
        EXPECT_EQ(c.shown(*w), c.expected) << c.what;
    }

    struct Place {
        int index;
        const char *what;
        QWidget *control;
        QRect expected;   // (-1) parts are not checked
    } places[] = {
        {4, "English Alternate header", w->LblAlternate, QRect(912, 16, 65, -1)},
        {2, "Japanese Alternate header", w->LblAlternate, QRect(928, 16, 49, -1)},
        {4, "English Image box", w->ChkImg[1], QRect(592, 72, -1, -1)},
        {0, "SimpChinese Image box", w->ChkImg[1], QRect(584, 72, -1, -1)},
        {3, "Korean vertical show box", w->ChkVShow[15], QRect(628, 520, -1, -1)},
        {2, "Japanese model", w->ComType, QRect(352, 600, -1, -1)},
        {3, "Korean port", w->ComSele, QRect(488, 600, -1, -1)},
        {-1, "English language box", w->ComLanguage, QRect(88, 600, -1, -1)},
        {1, "TradChinese language box", w->ComLanguage, QRect(60, 600, -1, -1)},
    };
    for (const Place &p : places) {
        w->ComLanguage->setCurrentIndex(p.index == 4 ? 2 : 4);
        w->ComLanguage->setCurrentIndex(p.index);
        EXPECT_EQ(p.control->x(), p.expected.x()) << p.what;
        EXPECT_EQ(p.control->y(), p.expected.y()) << p.what;
        if (p.expected.width() > 0) {
            EXPECT_EQ(p.control->width(), p.expected.width()) << p.what;
        }
    }
}

TEST_F(LanguageTest, EnglishJapaneseEnglishRestoresLayoutAndKeepsTicks)
{
    writeSettings("[Language]\nLanguage=4\n");
    auto w = makeWindow();
    ASSERT_EQ(w->ComLanguage->currentIndex(), 4);
    w->ComMod[6]->setCurrentIndex(5);   // "Pile Up"
    const QList<QRect> english = layoutOf(*w);
    EXPECT_EQ(w->LblAlternate->geometry(), QRect(912, 16, 65, px(255)));
    EXPECT_EQ(w->LblSpeed->x(), 628) << "start-up applies the English layout, not the initial 9480";

    w->ComLanguage->setCurrentIndex(2);
    EXPECT_EQ(w->ComMod[6]->currentIndex(), 5);
    EXPECT_EQ(w->ComMod[6]->itemText(5), QStringLiteral("積み重ね"));
    w->ChkVShow[3]->setChecked(true);
    w->ChkVShow[12]->setChecked(true);

    w->ComLanguage->setCurrentIndex(4);
    EXPECT_EQ(layoutOf(*w), english);
    EXPECT_EQ(w->ComMod[6]->currentIndex(), 5);
    EXPECT_EQ(w->ComMod[6]->itemText(5), QStringLiteral("Pile Up"));
    for (int i = 0; i < kSlotCount; ++i) {
        EXPECT_TRUE(w->ChkVShow[i]->isHidden()) << i;
        EXPECT_EQ(w->ChkVShow[i]->isChecked(), i == 3 || i == 12) << i;
    }

    w->ComLanguage->setCurrentIndex(2);
    w->ComLanguage->setCurrentIndex(2);   // applying twice changes nothing
    w->ArrangeColumns();
    const QList<QRect> japanese = layoutOf(*w);
    w->ApplyUiLanguage();
    EXPECT_EQ(layoutOf(*w), japanese);
    for (int i = 0; i < kSlotCount; ++i) {
        EXPECT_FALSE(w->ChkVShow[i]->isHidden()) << i;
        EXPECT_EQ(w->ChkVShow[i]->isChecked(), i == 3 || i == 12) << i;
    }
}

// The language only takes effect at the next rendering: then the slot's
// double-byte character comes from that language's font file at the code
// its code page gives.
TEST_F(LanguageTest, NextRenderingUsesTheNewFontAndCodePage)
{
    writeSettings("[Language]\nLanguage=4\n");
    auto w = makeWindow();
    waitForFirstRendering(*w);
    for (int i = 1; i < kSlotCount; ++i)
        w->ChkSel[i]->setChecked(false);
    w->TxtMsg[0]->setText(QStringLiteral("あ"));

    const QByteArray ascii = readFile(QStringLiteral(GLINTAG_BIN_DIR "/ASC12"));
    ASSERT_EQ(ascii.size(), 3072);
    // English has no double-byte code page: the character becomes '?'.
    ASSERT_EQ(w->rowBytes()[0], 1);
    for (int r = 0; r < 12; ++r)
        EXPECT_EQ(w->dotBuffer().at(0, r, 0), quint8(ascii[12 * '?' + r])) << r;

    struct Case {
        int index;
        const char *file;
        int lead, trail;
    } cases[] = {
        {2, "JpK12", 0x82, 0xA0},   // windows-932
        {0, "HzK12", 0xA4, 0xA2},   // windows-936
        {3, "KrK12", 0xAA, 0xA2},   // windows-949
    };
    for (const Case &c : cases) {
        const QByteArray font = readFile(QStringLiteral(GLINTAG_BIN_DIR "/") + QLatin1String(c.file));
        ASSERT_EQ(font.size(), 577584) << c.file;
        const QByteArray record = font.mid(24 * ((c.lead - 0x81) * 191 + (c.trail - 0x40)), 24);
        ASSERT_NE(record, QByteArray(24, '\0')) << c.file << ": the test needs a drawn glyph";

        const DotBuffer before = w->dotBuffer();
        w->ComLanguage->setCurrentIndex(c.index);
        EXPECT_TRUE(w->dotBuffer().bytes == before.bytes) << c.file << ": rendered on the switch";

        w->ChkRun[0]->click();   // any edit that renders
        ASSERT_EQ(w->rowBytes()[0], 2) << c.file << ": 13 columns";
        for (int r = 0; r < 12; ++r) {
            EXPECT_EQ(w->dotBuffer().at(0, r, 0), quint8(record[2 * r])) << c.file << " row " << r;
            EXPECT_EQ(w->dotBuffer().at(0, r, 1), quint8(record[2 * r + 1])) << c.file << " row " << r;
            EXPECT_EQ(w->dotBuffer().at(0, r, 2), 0) << c.file << " row " << r;
        }
    }
}
