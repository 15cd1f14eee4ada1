#include "support/windowfixture.h"

#include "gui/previewpanel.h"
#include "gui/windowlayout.h"
#include "protocol/uploadstream.h"
#include "render/messagebuilder.h"

#include <QListWidget>
#include <QPainter>
#include <QScrollArea>

#include <algorithm>
#include <functional>

using namespace glintag;

namespace {

using Rows = std::array<QByteArray, kRowCount>;

// Dots read back from a picture of the strip or the face: a pixel inside
// each dot, bright red for lit, dark grey for unlit; the first column whose
// pixel is neither ends the dots.
Rows readDots(const QImage &image, int *columns = nullptr, int pitch = kDotPitch)
{
    Rows rows;
    int c = 0;
    const auto readColumn = [&](int col) {
        for (int r = 0; r < kRowCount; ++r) {
            const QColor px = image.pixelColor(col * pitch + 1, r * pitch + 1);
            const bool lit = px.red() >= 200 && px.green() <= 80 && px.blue() <= 80;
            if (!lit && px.rgb() != kUnlitDot)
                return false;
            if (col % 8 == 0)
                rows[size_t(r)].append('\0');
            if (lit)
                rows[size_t(r)].back() = char(rows[size_t(r)].back() | (0x80 >> (col % 8)));
        }
        return true;
    };
    while ((c + 1) * pitch <= image.width() && readColumn(c))
        ++c;
    if (columns)
        *columns = c;
    return rows;
}

} // namespace

using PreviewTest = WindowTest;

TEST_F(PreviewTest, StripShowsExactlyTheSlotsBytesInTheUploadPackets)
{
    auto w = renderedWindow();
    w->show();
    QImage picture(kRowColumns, kRowCount, QImage::Format_RGB32);
    picture.fill(Qt::black);
    QPainter p(&picture);
    p.fillRect(0, 0, 60, 6, QColor(255, 0, 0));
    p.fillRect(30, 4, 60, 8, QColor(0, 255, 0));   // green: not lit
    p.fillRect(70, 2, 9, 9, QColor(130, 10, 200)); // red 130: lit
    p.end();
    const struct {
        const char *what;
        int language;
        int slot;
        QString text;
        bool vertical = false;
        bool picture = false;
        int cutAfter = -1; // a long slot before this one fills the row
    } cases[] = {
        {"Simplified Chinese", 0, 0, QStringLiteral("Hi 你好")},
        {"vertical Japanese", 2, 5, QStringLiteral("縦書き12"), true},
        {"picture", 4, 6, QString(), false, true},
        {"cut at the limit", 4, 7, QString(300, QLatin1Char('W')), false, false, 0},
    };
    for (const auto &c : cases) {
        w->parts().settingsRow.languageBox()->setCurrentIndex(c.language);
        selectOnly(*w, {c.slot});
        if (c.cutAfter >= 0) {
            w->slotRow(c.cutAfter).textBox()->setText(QString(400, QLatin1Char('M')));
            w->slotRow(c.cutAfter).selectBox()->setChecked(true);
        }
        w->slotRow(c.slot).verticalBox()->setChecked(c.vertical);
        if (c.picture) {
            w->slotRow(c.slot).canvas()->setCanvas(picture);
            w->slotRow(c.slot).imageBox()->setChecked(true);
        } else {
            w->slotRow(c.slot).textBox()->setText(c.text);
        }
        ASSERT_EQ(w->parts().preview->workingSlot(), c.slot) << c.what;
        // The slot's bytes in the twelve row packets the upload would send now.
        const Rendering &now = w->parts().renderer.rendering();
        const QByteArray header = buildUploadHeader(w->parts().model.setup(), now);
        const auto word = [&](int at) { return (std::uint8_t(header[at]) << 8) | std::uint8_t(header[at + 1]); };
        Rows expected;
        for (int r = 0; r < kRowCount; ++r)
            expected[size_t(r)]
                = buildRowPacket(now.dots, now.sent, r).mid(word(31 + 4 * c.slot), word(33 + 4 * c.slot));
        ASSERT_GT(expected[0].size(), 0) << c.what;
        int columns = 0;
        const Rows shown = readDots(w->parts().preview->strip()->grab().toImage(), &columns);
        EXPECT_EQ(columns, expected[0].size() * 8) << c.what;
        for (int r = 0; r < kRowCount; ++r)
            EXPECT_EQ(shown[size_t(r)].toHex(), expected[size_t(r)].toHex()) << c.what << ", row " << r;
        EXPECT_TRUE(w->parts().preview->stripCaption()->text().contains(QString::number(expected[0].size()))) << c.what;
    }
    EXPECT_LT(w->parts().preview->sentBytes()[7], w->parts().renderer.rendering().rendered[7])
        << "the last case was cut";
}

TEST_F(PreviewTest, FaceShowsThePlayersFramesAndItsClockRunsOnlyWhenSeen)
{
    auto w = renderedWindow();
    w->show();
    selectOnly(*w, {0});
    w->slotRow(0).textBox()->setText(QStringLiteral("HELLO"));
    EXPECT_TRUE(w->parts().preview->faceClock()->isActive());
    EXPECT_EQ(w->parts().preview->faceClock()->interval(), stepInterval(3));
    for (int i = 0; i < 30; ++i)
        w->parts().preview->stepFace();
    const FaceFrame &f = w->parts().preview->player().frame();
    const Rows shown
        = readDots(w->parts().preview->face()->grab().toImage(), nullptr, w->parts().preview->face()->pitch());
    int litDots = 0;
    for (int r = 0; r < kRowCount; ++r)
        for (int c = 0; c < f.width; ++c) {
            const bool lit = (std::uint8_t(shown[size_t(r)][c / 8]) >> (7 - c % 8)) & 1;
            EXPECT_EQ(lit, f.lit(r, c)) << r << "," << c;
            litDots += lit;
        }
    EXPECT_GT(litDots, 0) << "HELLO has scrolled into view";

    w->showMinimized();
    EXPECT_FALSE(w->parts().preview->faceClock()->isActive()) << "minimised";
    w->showNormal();
    EXPECT_TRUE(w->parts().preview->faceClock()->isActive());
    w->hide();
    EXPECT_FALSE(w->parts().preview->faceClock()->isActive()) << "hidden";
    w->show();
    w->slotRow(0).modeBox()->setCurrentIndex(4); // Freeze: one still page
    EXPECT_FALSE(w->parts().preview->faceClock()->isActive()) << "nothing moves";
    w->slotRow(0).flashBox()->click();
    EXPECT_TRUE(w->parts().preview->faceClock()->isActive()) << "flash without a rendering";
}

TEST_F(PreviewTest, ThePreviewFindsRoomAndTheControlsStayInReachOnEveryScreen)
{
    auto w = renderedWindow();
    w->show();
    // Something in every warning line.
    for (int i = 0; i < 4; ++i)
        w->slotRow(i).textBox()->setText(QString(i == 0 ? 500 : 1, QChar(0x4E00 + i)));
    w->parts().settingsRow.languageBox()->setCurrentIndex(UiEnglish);
    ASSERT_GE(w->parts().preview->warningList()->count(), 3);
    const int lines
        = 3 * w->parts().preview->warningList()->visualItemRect(w->parts().preview->warningList()->item(0)).height();

    // What the viewport shows without scrolling, in viewport coordinates.
    const auto inView = [&](const QWidget *c, int height = -1, QSize most = QSize(99999, 99999)) {
        const QRect r(c->mapTo(w->parts().scroller->viewport(), QPoint()),
                      QSize(c->width(), height < 0 ? c->height() : height).boundedTo(most));
        return w->parts().scroller->viewport()->rect().contains(r);
    };
    // Screens less a 32-pixel panel; twice the scale halves 1920 x 1080.
    const struct {
        QSize available;
        bool laptop; // the preview beside the controls, all of it in view
    } screens[] = {{{1366, 736}, true}, {{1280, 768}, true}, {{1920, 1048}, false}, {{960, 524}, false}};
    int lastPitch = 0;
    for (const auto &screen : screens) {
        SCOPED_TRACE(testing::Message() << screen.available.width() << " x " << screen.available.height());
        w->fitToScreen(screen.available);
        QCoreApplication::processEvents();
        EXPECT_LE(w->width(), screen.available.width());
        EXPECT_LT(w->height(), screen.available.height());
        w->parts().scroller->verticalScrollBar()->setValue(0);
        w->parts().scroller->horizontalScrollBar()->setValue(0);
        const PreviewPanel &p = *w->parts().preview;
        // What the user sends with, and what an upload says, are in view at
        // the first look: under the menu bar the banner gives way, and on a
        // small screen the rows scroll in their own area.
        for (QWidget *c : QList<QWidget *>{w->parts().statusRow.statusLine(), w->parts().statusRow.rowUse(),
                                           w->parts().sendButton, w->parts().exitButton, w->slotRow(0).textBox()})
            EXPECT_TRUE(inView(c)) << c->metaObject()->className();
        if (screen.laptop) {
            EXPECT_TRUE(w->parts().page->previewBeside());
            EXPECT_TRUE(inView(p.faceBox()));
            EXPECT_TRUE(inView(p.stripArea()));
            EXPECT_GE(p.warningList()->height(), lines);
            EXPECT_TRUE(inView(p.warningList(), lines));
        }
        // The face fills its box at its pitch.
        EXPECT_EQ(p.faceBox()->width(), p.player().frame().width * p.face()->pitch() + 2);
        if (screen.available.width() >= 1920) {
            EXPECT_FALSE(w->parts().page->bannerTrimmed()) << "room enough: the banner stays";
            EXPECT_GT(p.face()->pitch(), lastPitch) << "a larger screen, a larger face";
        }
        lastPitch = p.face()->pitch();

        // Every control can be scrolled to.
        QList<QWidget *> controls = w->parts().slotTable.tabChain() + w->parts().settingsRow.tabChain();
        controls << w->parts().sendButton << w->parts().exitButton << w->parts().progressBar << w->parts().memoryGauge
                 << p.warningList();
        for (QWidget *c : controls) {
            if (!c->isVisibleTo(w.get()))
                continue;
            // As far as the bars go, until the whole control (or as much
            // as the view holds) is in view.
            if (w->parts().slotTable.isAncestorOf(c))
                w->parts().slotArea->ensureWidgetVisible(c, 0, 0);
            const QSize view = w->parts().scroller->viewport()->size();
            const QRect r(c->mapTo(w->parts().page, QPoint()), c->size().boundedTo(view));
            w->parts().scroller->horizontalScrollBar()->setValue(r.right() + 1 - view.width());
            w->parts().scroller->verticalScrollBar()->setValue(r.bottom() + 1 - view.height());
            EXPECT_TRUE(inView(c, -1, view)) << c->metaObject()->className();
        }
    }
}

// A change of how the face plays keeps what the preview was last shown,
// even where that is fresher than the window's own rendering: the language's
// code page, or vertical writing, as Send would carry them.
TEST_F(PreviewTest, ALanguageOrVerticalChangeRendersWhatSendCarriesAndAPlayChangeKeepsIt)
{
    auto w = renderedWindow();
    w->parts().settingsRow.languageBox()->setCurrentIndex(UiEnglish);
    w->slotRow(0).textBox()->setText(QStringLiteral(u"\u4E2D\u6587\u4E2D\u6587"));
    ASSERT_EQ(w->parts().preview->workingSlot(), 0);
    const struct {
        const char *what;
        std::function<void(MainWindow &)> change;
    } cases[] = {
        {"language", [](MainWindow &f) { f.parts().settingsRow.languageBox()->setCurrentIndex(UiSimpChinese); }},
        {"vertical", [](MainWindow &f) { f.slotRow(0).verticalBox()->click(); }},
    };
    for (const auto &c : cases) {
        c.change(*w);
        const Rendering carried = renderSetup(w->parts().model.setup(), programDir());
        const Rendering &window = w->parts().renderer.rendering();
        // The gauge counts what the window rendered: it must be what Send carries.
        EXPECT_TRUE(window.sent == carried.sent && window.dots.bytes == carried.dots.bytes) << c.what;
        w->slotRow(0).flashBox()->click();
        EXPECT_EQ(w->parts().preview->sentBytes(), carried.sent) << c.what;
        const SlotDots &strip = w->parts().preview->strip()->dots();
        EXPECT_TRUE(std::equal(strip.rows, strip.rows + kSlotBytes, carried.dots.slot(0))) << c.what;
    }
}
