#include "support/windowfixture.h"

#include "badge/dotcanvas.h"
#include "gui/doteditordialog.h"
#include "gui/dotgrid.h"
#include "gui/photodialog.h"
#include "gui/pictureediting.h"
#include "gui/previewpanel.h"
#include "i18n/editortexts.h"
#include "protocol/uploadstream.h"

#include <QRadioButton>
#include <QSpinBox>

using namespace glintag;

namespace {

// Presses on the middle of one dot, moves to another's and lets go there.
void drag(DotGrid &grid, QPoint from, QPoint to)
{
    from = from * grid.pitch() + QPoint(grid.pitch() / 2, grid.pitch() / 2);
    to = to * grid.pitch() + QPoint(grid.pitch() / 2, grid.pitch() / 2);
    QTest::mousePress(&grid, Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, to, grid.mapToGlobal(to), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&grid, &move);
    QTest::mouseRelease(&grid, Qt::LeftButton, {}, to);
}

} // namespace

class DotEditorTest : public UploadTest {
protected:
    DotEditorDialog *openEditor(MainWindow &w, int slot)
    {
        QTest::mouseDClick(w.slotRow(slot).canvas(), Qt::LeftButton, {}, QPoint(5, 5));
        return w.parts().pictureEditing.editor();
    }
};

TEST_F(DotEditorTest, ADrawnPatternIsSentDotForDotAndApplyWaitsForAnUpload)
{
    auto w = readyWindow();
    w->slotRow(1).imageBox()->click();
    DotEditorDialog *editor = openEditor(*w, 1);
    ASSERT_TRUE(editor);
    EXPECT_FALSE(editor->frameLabel()->isVisible()); // slot 2 plays no frames
    DotGrid &grid = *editor->grid();

    drag(grid, {0, 0}, {5, 0}); // pen: columns 0..5 of row 0
    editor->button(DotEditorDialog::Rect)->click();
    drag(grid, {22, 3}, {20, 1}); // the outline of columns 20..22, rows 1..3
    editor->button(DotEditorDialog::Line)->click();
    drag(grid, {30, 0}, {30, 11}); // a line, then taken back
    EXPECT_TRUE(dotAt(grid.canvas(), 30, 6));
    editor->button(DotEditorDialog::Undo)->click();
    EXPECT_FALSE(dotAt(grid.canvas(), 30, 6));
    QApplication::setActiveWindow(editor);                  // shortcuts go to the active window
    QTest::keyClick(&grid, Qt::Key_Y, Qt::ControlModifier); // redo, and undo again by key
    EXPECT_TRUE(dotAt(grid.canvas(), 30, 6));
    QTest::keyClick(&grid, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_FALSE(dotAt(grid.canvas(), 30, 6));
    EXPECT_TRUE(editor->button(DotEditorDialog::Redo)->isEnabled());
    // The keyboard: from the row's start, ten to the right and two down, Space.
    grid.setFocus();
    QTest::keyClick(&grid, Qt::Key_Home);
    for (int k = 0; k < 10; ++k)
        QTest::keyClick(&grid, Qt::Key_Right);
    QTest::keyClick(&grid, Qt::Key_Down);
    QTest::keyClick(&grid, Qt::Key_Down);
    QTest::keyClick(&grid, Qt::Key_Space);
    EXPECT_FALSE(editor->button(DotEditorDialog::Redo)->isEnabled()); // a new edit ends the redo chain
    // Nothing reaches the slot before Apply, nor while an upload runs.
    EXPECT_EQ(w->parts().renderer.rendering().rendered[1], 0);
    const QImage drawing = grid.canvas();
    send(*w, [&](int poll) {
        if (poll == 1)
            editor->button(DotEditorDialog::Apply)->click();
    });
    ASSERT_EQ(dialogs->shown.size(), 1u);
    EXPECT_EQ(dialogs->shown[0].text, QStringLiteral("Sending!"));
    EXPECT_EQ(usedColumns(w->slotRow(1).canvas()->canvas()), 0);
    ASSERT_TRUE(editor->isVisible());
    EXPECT_EQ(grid.canvas(), drawing) << "the drawing is kept";
    editor->button(DotEditorDialog::Apply)->click(); // after the upload: taken
    EXPECT_FALSE(editor->isVisible());
    selectOnly(*w, {1});

    DotBuffer expected;
    expected.row(1, 0)[0] = 0xFC;
    expected.row(1, 2)[1] = 0x20; // column 10
    expected.row(1, 1)[2] = 0x0E; // columns 20..22
    expected.row(1, 2)[2] = 0x0A;
    expected.row(1, 3)[2] = 0x0E;
    EXPECT_EQ(w->parts().renderer.rendering().rendered[1], 3);
    throttled->written.clear();
    send(*w);
    const UploadSnapshot &sent = w->parts().uploadControl.snapshot();
    EXPECT_EQ(sent.rendering.sent[1], 3);
    for (int r = 0; r < kRowCount; ++r)
        for (int b = 0; b < 4; ++b)
            EXPECT_EQ(sent.rendering.dots.at(1, r, b), expected.at(1, r, b)) << "row " << r << " byte " << b;
    EXPECT_EQ(throttled->written.toHex(), uploadStream(sent).toHex());
}

TEST_F(DotEditorTest, CancelLeavesTheSlotAndThePreviewStripOpensTheEditor)
{
    auto w = renderedWindow();
    selectOnly(*w, {3});
    w->slotRow(3).imageBox()->click();
    w->parts().preview->setWorkingSlot(3);
    QTest::mouseClick(w->parts().preview->strip(), Qt::LeftButton, {}, QPoint(4, 4));
    DotEditorDialog *editor = w->parts().pictureEditing.editor();
    ASSERT_TRUE(editor);
    // The editor follows the language box while it is open.
    w->parts().settingsRow.languageBox()->setCurrentIndex(UiKorean);
    EXPECT_EQ(editor->button(DotEditorDialog::Apply)->accessibleName(), editorTexts(UiKorean).apply);
    const QImage before = w->slotRow(3).canvas()->canvas();
    // Invert reaches the drawing's last byte or the cursor's, not 4,096 columns.
    editor->grid()->setCursor(QPoint(9, 0));
    editor->button(DotEditorDialog::Invert)->click();
    EXPECT_EQ(usedColumns(editor->grid()->canvas()), 16);
    editor->grid()->setCursor(QPoint(0, 0));
    editor->button(DotEditorDialog::Invert)->click();
    EXPECT_EQ(usedColumns(editor->grid()->canvas()), 0);
    const int runs = w->parts().renderer.runs();
    editor->button(DotEditorDialog::Cancel)->click();
    EXPECT_EQ(w->slotRow(3).canvas()->canvas(), before);
    EXPECT_EQ(w->parts().renderer.runs(), runs);

    // An icon goes in at the cursor, and a shift moves it.
    editor = openEditor(*w, 3);
    ASSERT_TRUE(editor);
    editor->grid()->setCursor(QPoint(4, 0));
    editor->iconBox()->setCurrentText(QStringLiteral("minus"));
    editor->button(DotEditorDialog::InsertIcon)->click();
    editor->button(DotEditorDialog::ShiftRight)->click();
    editor->button(DotEditorDialog::Apply)->click();
    EXPECT_FALSE(dotAt(w->slotRow(3).canvas()->canvas(), 4, 5));
    EXPECT_TRUE(dotAt(w->slotRow(3).canvas()->canvas(), 5, 5));
    EXPECT_EQ(w->parts().renderer.rendering().rendered[3], 3); // columns 5..16
}

TEST_F(DotEditorTest, APictureThatLightsNothingIsOfferedBrightnessRules)
{
    auto w = renderedWindow();
    selectOnly(*w, {2});
    w->slotRow(2).imageBox()->click();
    // A dusky blue photo, brighter at the right; red never reaches 128.
    QImage photo(64, 12, QImage::Format_RGB32);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 64; ++x)
            photo.setPixel(x, y, qRgb(x, 40 + x * 2, 200));
    ASSERT_TRUE(photo.save(file(QStringLiteral("photo.png")), "PNG"));
    QImage lit(8, 12, QImage::Format_RGB32);
    lit.fill(Qt::red);
    ASSERT_TRUE(lit.save(file(QStringLiteral("lit.png")), "PNG"));

    for (const bool dither : {false, true}) {
        dialogs->openNames.push_back(file(QStringLiteral("photo.png")));
        w->slotRow(2).loadButton()->click();
        PhotoDialog *offer = w->parts().pictureEditing.photoDialog();
        ASSERT_TRUE(offer);
        EXPECT_EQ(w->parts().renderer.rendering().rendered[2], 0); // the load itself as ever: nothing lit
        (dither ? offer->ditherChoice() : offer->thresholdChoice())->setChecked(true);
        offer->thresholdBox()->setValue(100);
        EXPECT_TRUE(offer->thresholdChoice()->isChecked()); // a threshold change picks the threshold
        if (dither)
            offer->ditherChoice()->setChecked(true);
        const QImage expected = dotsByBrightness(w->slotRow(2).canvas()->canvas(),
                                                 dither ? BrightnessRule::Dither : BrightnessRule::Threshold, 100);
        offer->applyButton()->click();
        EXPECT_EQ(w->slotRow(2).canvas()->canvas(), expected) << dither;
        EXPECT_EQ(w->parts().renderer.rendering().rendered[2], 8) << dither; // lit to the photo's last columns
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Keep as loaded leaves the load alone; a picture that lights dots is not asked about.
    dialogs->openNames.push_back(file(QStringLiteral("photo.png")));
    w->slotRow(2).loadButton()->click();
    ASSERT_TRUE(w->parts().pictureEditing.photoDialog());
    // While it is open, the dialog follows the language box.
    w->parts().settingsRow.languageBox()->setCurrentIndex(UiKorean);
    EXPECT_EQ(w->parts().pictureEditing.photoDialog()->applyButton()->text(), editorTexts(UiKorean).apply);
    w->parts().pictureEditing.photoDialog()->keepButton()->click();
    EXPECT_EQ(w->parts().renderer.rendering().rendered[2], 0);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    dialogs->openNames.push_back(file(QStringLiteral("lit.png")));
    w->slotRow(2).loadButton()->click();
    EXPECT_EQ(w->parts().pictureEditing.photoDialog(), nullptr);
    EXPECT_EQ(w->parts().renderer.rendering().rendered[2], 1);
}
