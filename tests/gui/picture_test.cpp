#include "support/windowfixture.h"

#include "badge/dotcanvas.h"
#include "files/picturefile.h"

#include <QDir>

using namespace glintag;

constexpr int kSlot = 2;

class PictureTest : public UploadTest {
protected:
    // Only kSlot selected, in image mode, panned to 100 and then loaded with a
    // 100 x 12 picture black but for one lit pixel in column 100, so 13 bytes of a row reach it.
    std::unique_ptr<MainWindow> pictureWindow()
    {
        auto w = renderedWindow();
        selectOnly(*w, {kSlot});
        w->slotRow(kSlot).imageBox()->click();
        w->slotRow(kSlot).panBar()->setValue(100);
        QImage dot(1, 1, QImage::Format_RGB32);
        dot.fill(Qt::red);
        EXPECT_TRUE(dot.copy(-99, -5, 100, 12).save(file("lit.bmp"), "BMP")); // copy() pads with black
        dialogs->openNames.push_back(file("lit.bmp"));
        w->slotRow(kSlot).loadButton()->click();
        return w;
    }
};

TEST_F(PictureTest, LoadPansToTheStartAndImageTickSwapsTextAndStripKeepingBoth)
{
    auto w = pictureWindow();
    EXPECT_EQ(std::pair(w->slotRow(kSlot).panBar()->value(), int(w->parts().renderer.rendering().rendered[kSlot])),
              std::pair(-3, 13));                                           // pan, bytes a row
    EXPECT_EQ(w->parts().renderer.rendering().dots.at(kSlot, 5, 12), 0x10); // column 100 is bit 4 of byte 13
    w->slotRow(kSlot).panBar()->setValue(250);
    const QImage canvas = w->slotRow(kSlot).canvas()->canvas();
    // "MESSAGE3" takes 8 bytes a row
    for (const auto &[image, rowBytes] : {std::pair{false, 8}, {true, 13}}) {
        const int before = w->parts().renderer.runs();
        w->slotRow(kSlot).imageBox()->click();
        EXPECT_EQ(w->parts().renderer.runs(), before + 1);
        for (QWidget *c :
             QList<QWidget *>{w->slotRow(kSlot).textBox(), w->slotRow(kSlot).pictureFrame(), w->slotRow(kSlot).panBar(),
                              w->slotRow(kSlot).loadButton(), w->slotRow(kSlot).saveButton()})
            EXPECT_EQ(c->isHidden(), (c == w->slotRow(kSlot).textBox()) == image);
        EXPECT_EQ(w->slotRow(kSlot).textBox()->text(), QStringLiteral("MESSAGE3"));
        EXPECT_EQ(w->parts().renderer.rendering().rendered[kSlot], rowBytes);
    }
    EXPECT_TRUE(w->slotRow(kSlot).canvas()->canvas() == canvas && w->slotRow(kSlot).canvas()->pos() == QPoint(-250, 3));
}

TEST_F(PictureTest, CancelledOrFailedDialogsChangeAndWriteNothing)
{
    auto w = pictureWindow();
    w->slotRow(kSlot).panBar()->setValue(77);
    const QImage canvas = w->slotRow(kSlot).canvas()->canvas();
    const QStringList files = QDir(programDir()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    const struct {
        bool save;
        QString name, error;
    } cases[] = {{false, "", ""},
                 {false, file("absent.bmp"), "Error: Open picture fail!"},
                 {true, "", ""},
                 {true, file("no/such/folder/x.bmp"), "Error: Save picture fail!"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        *dialogs = FakeDialogs();
        (c.save ? dialogs->saveNames : dialogs->openNames).push_back(c.name);
        (c.save ? w->slotRow(kSlot).saveButton() : w->slotRow(kSlot).loadButton())->click();
        EXPECT_EQ(dialogs->filters.size(), 1);
        ASSERT_LE(dialogs->shown.size(), 1u);
        EXPECT_EQ(dialogs->shown.empty() ? QString() : dialogs->shown[0].title + ": " + dialogs->shown[0].text,
                  c.error);
        EXPECT_TRUE(w->slotRow(kSlot).canvas()->canvas() == canvas && w->slotRow(kSlot).canvas()->x() == -77
                    && w->parts().renderer.rendering().rendered[kSlot] == 13);
        EXPECT_EQ(QDir(programDir()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), files);
    }
}

// Drawn dots (pure white, as the dot editor and a setup file's dots make
// them) show in the slot's colour; a loaded picture keeps its own.
TEST_F(WindowTest, DrawnDotsShowInTheSlotsColour)
{
    auto w = renderedWindow();
    for (int slot : {0, 9}) {
        QImage canvas = makeBlankCanvas();
        const QRgb dots[] = {kLitPixel, qRgb(255, 0, 0), qRgb(40, 200, 90), qRgb(0, 0, 0)};
        for (int x = 0; x < 4; ++x)
            canvas.setPixel(x, 0, dots[x]);
        w->slotRow(slot).canvas()->setCanvas(canvas);
        const QImage seen = w->slotRow(slot).canvas()->grab(QRect(0, 0, 4, 1)).toImage();
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(seen.pixel(x, 0), x == 0 ? slotColour(slot) | 0xFF000000u : dots[x]) << slot << ", " << x;
        EXPECT_EQ(w->slotRow(slot).canvas()->canvas().pixel(0, 0), kLitPixel) << "what is sent stays as drawn";
    }
}
