// Setups as files in the real window: the menus, undo and redo, the title,
// the question on close and files dropped on the window.

#include "badge/dotcanvas.h"
#include "files/picturefile.h"
#include "gui/previewpanel.h"
#include "gui/windowmenus.h"
#include "i18n/statustexts.h"
#include "render/messagebuilder.h"
#include "settings/setupfile.h"
#include "support/windowfixture.h"

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QImageReader>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

using namespace glintag;

namespace {

class SetupWindowTest : public WindowTest {
protected:
    // A 30 x 12 picture with a few lit dots, as the user's file.
    QString writePicture(const QString &name)
    {
        QImage img(30, 12, QImage::Format_RGB32);
        img.fill(Qt::black);
        for (int i = 0; i < 12; ++i)
            img.setPixel(i * 2, i, qRgb(255, 255, 255));
        EXPECT_TRUE(img.save(file(name), "BMP"));
        return file(name);
    }
};

// Sends the drag's enter and drop to the widget, at its centre; true when
// the drop was taken.
bool dropFile(QWidget *on, const QString &path)
{
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    const QPointF at = QPointF(on->width() / 2.0, on->height() / 2.0);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(on, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(on, &drop);
    return drop.isAccepted();
}

} // namespace

// Each step undoes and redoes to the setup before it, its rendering too; a
// text box with the focus takes Ctrl+Z for its own typing first.
TEST_F(SetupWindowTest, UndoAndRedoGiveBackEachEarlierSetupExactly)
{
    auto w = renderedWindow();
    w->show();
    QApplication::setActiveWindow(w.get());
    QLineEdit *box = w->slotRow(0).textBox();
    const std::function<void()> edits[] = {
        [&] { w->slotRow(2).modeBox()->setCurrentIndex(5); },
        [&] { w->slotRow(2).imageBox()->setChecked(true); },
        [&] {
            dialogs->openNames = {writePicture(QStringLiteral("p.bmp"))};
            w->slotRow(2).loadButton()->click();
        },
        [&] {
            box->setFocus();
            box->end(false);
            QTest::keyClicks(box, QStringLiteral("xyz")); // one step
        },
    };
    std::vector<BadgeSetup> seen{w->parts().model.setup()};
    for (const auto &edit : edits) {
        edit();
        QCoreApplication::processEvents(); // the window takes its step from the event loop
        seen.push_back(w->parts().model.setup());
    }
    ASSERT_FALSE(seen[3].slots[2].picture == seen[2].slots[2].picture);
    ASSERT_TRUE(box->hasFocus());
    QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(box->text(), QStringLiteral("MESSAGE1"));
    EXPECT_TRUE(w->parts().model.setup() == seen[3]) << "the box took the key: its typing went, the rest stayed";
    QCoreApplication::processEvents();
    QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(w->parts().model.setup() == seen[4]);
    QCoreApplication::processEvents();

    w->slotRow(2).selectBox()->setFocus(); // away from the box: the window's Undo
    for (size_t k = seen.size() - 1; k-- > 0;) {
        ASSERT_TRUE(w->parts().documents.undo());
        EXPECT_TRUE(w->parts().model.setup() == seen[k]) << "undo to step " << k;
        EXPECT_TRUE(w->parts().renderer.rendering().rendered == renderSetup(seen[k], programDir()).rendered) << k;
    }
    EXPECT_FALSE(w->parts().documents.undo());
    for (size_t k = 1; k < seen.size(); ++k) {
        w->parts().menus.redo->trigger();
        EXPECT_TRUE(w->parts().model.setup() == seen[k]) << "redo to step " << k;
    }
    EXPECT_FALSE(w->parts().menus.redo->isEnabled());
}

TEST_F(SetupWindowTest, TitleMarksChangesAndClosingAsksAboutThem)
{
    const QString path = file(QStringLiteral("party.ini"));
    const struct {
        const char *what;
        Dialogs::Answer answer;
        bool closes;
        bool saved; // the file has the change afterwards
    } cases[] = {
        {"cancel", Dialogs::Answer::Cancel, false, false},
        {"discard", Dialogs::Answer::No, true, false},
        {"save", Dialogs::Answer::Yes, true, true},
    };
    for (const auto &c : cases) {
        auto w = renderedWindow();
        dialogs->saveNames = {path};
        w->parts().menus.saveAs->trigger();
        EXPECT_EQ(w->windowTitle(), QStringLiteral("party.ini - Glintag Ver 6.00")) << c.what;
        const QString changed = QStringLiteral("changed: %1").arg(QLatin1String(c.what));
        w->slotRow(0).textBox()->setText(changed);
        QCoreApplication::processEvents();
        EXPECT_EQ(w->windowTitle(), QStringLiteral("party.ini* - Glintag Ver 6.00")) << c.what;

        dialogs->shown.clear();
        dialogs->answers = {c.answer};
        w->show();
        EXPECT_EQ(w->close(), c.closes) << c.what;
        ASSERT_EQ(dialogs->shown.size(), 1u) << c.what;
        EXPECT_EQ(dialogs->shown[0].buttons, Dialogs::Buttons::YesNoCancel);
        EXPECT_TRUE(dialogs->shown[0].text.contains(QStringLiteral("party.ini"))) << c.what;
        StoredSettings onDisk;
        ASSERT_TRUE(loadSetupFile(path, onDisk));
        EXPECT_EQ(onDisk.setup.slots[0].text == changed, c.saved) << c.what;
        // Undoing back to what was saved clears the mark.
        if (!c.closes) {
            w->parts().documents.undo();
            EXPECT_EQ(w->windowTitle(), QStringLiteral("party.ini - Glintag Ver 6.00"));
        }
        // The automatic settings file saves itself silently on the way out;
        // a cancelled close writes nothing.
        EXPECT_EQ(readFile(file(QStringLiteral("Nvq.ini"))).contains(changed.toUtf8()), c.closes) << c.what;
    }
}

TEST_F(SetupWindowTest, NewOpenAndRevert)
{
    auto w = renderedWindow();
    w->slotRow(5).textBox()->setText(QStringLiteral("kept"));
    dialogs->saveNames = {file(QStringLiteral("one.ini"))};
    ASSERT_TRUE(w->parts().documents.save()); // unnamed: Save asks for a name
    const BadgeSetup saved = w->parts().model.setup();
    w->slotRow(5).textBox()->setText(QStringLiteral("changed"));
    w->parts().documents.revertToSaved();
    EXPECT_TRUE(w->parts().model.setup() == saved);
    w->parts().documents.undo(); // the revert is a step of its own
    EXPECT_EQ(w->slotRow(5).textBox()->text(), QStringLiteral("changed"));

    dialogs->answers = {Dialogs::Answer::No};
    w->parts().documents.newSetup();
    EXPECT_FALSE(w->parts().documents.document().isNamed());
    EXPECT_EQ(w->slotRow(5).textBox()->text(), QStringLiteral("MESSAGE6"));
    EXPECT_FALSE(w->parts().documents.history().canUndo());

    const QByteArray settingsBefore = readFile(file(QStringLiteral("Nvq.ini")));
    ASSERT_TRUE(w->parts().documents.open(file(QStringLiteral("one.ini"))));
    EXPECT_TRUE(w->parts().model.setup() == saved);
    EXPECT_EQ(w->parts().preview->workingSlot(), 5) << "the preview stays on the slot last edited";
    EXPECT_EQ(w->parts().documents.document().recentFiles().value(0), file(QStringLiteral("one.ini")));
    EXPECT_FALSE(w->parts().documents.isModified());
    // Open then Save As: the same bytes, and no other file touched.
    dialogs->saveNames = {file(QStringLiteral("two.ini"))};
    ASSERT_TRUE(w->parts().documents.saveAs());
    EXPECT_EQ(readFile(file(QStringLiteral("two.ini"))), readFile(file(QStringLiteral("one.ini"))));
    EXPECT_EQ(readFile(file(QStringLiteral("Nvq.ini"))), settingsBefore);

    // A file that is not there: said so, and nothing changes.
    dialogs->shown.clear();
    EXPECT_FALSE(w->parts().documents.open(file(QStringLiteral("gone.ini"))));
    ASSERT_EQ(dialogs->shown.size(), 1u);
    EXPECT_TRUE(w->parts().model.setup() == saved);

    // The recent files come back with the next window, newest first.
    ASSERT_TRUE(w->close());
    auto next = renderedWindow();
    EXPECT_EQ(next->parts().documents.document().recentFiles(),
              (QStringList{file(QStringLiteral("two.ini")), file(QStringLiteral("one.ini"))}));
    const QList<QAction *> offered = next->parts().menus.recentMenu()->actions();
    ASSERT_EQ(offered.size(), 2);
    offered[1]->trigger();
    EXPECT_EQ(next->parts().documents.document().path(), file(QStringLiteral("one.ini")));
}

TEST_F(SetupWindowTest, AnOpenedSetupsPictureOutsideItsFolderIsNamedNotOpened)
{
    // The receiver's own picture beside the folder the shared setup is in.
    const QString own = writePicture(QStringLiteral("own.bmp"));
    ASSERT_TRUE(QDir(programDir()).mkdir(QStringLiteral("shared")));
    const QString setup = file(QStringLiteral("shared/setup.ini"));
    ASSERT_TRUE(writeFile(setup, "[Message2]\nImage=1\n[Glintag]\nPicture2=../own.bmp\n"));
    auto w = renderedWindow();
    ASSERT_TRUE(w->parts().documents.open(setup));
    EXPECT_EQ(usedColumns(w->slotRow(1).canvas()->canvas()), 0) << "the slot stays blank";
    w->parts().settingsRow.languageBox()->setCurrentIndex(UiJapanese);
    EXPECT_EQ(statusLine(*w), statusTexts(UiJapanese).pictureOutside.arg(2).arg(own));
}

TEST_F(SetupWindowTest, DroppedPictureLoadsIntoItsRowAndADroppedSetupOpens)
{
    auto w = renderedWindow();
    const QString picture = writePicture(QStringLiteral("drop.bmp"));
    QImage expected = makeBlankCanvas();
    ASSERT_TRUE(loadPictureOntoCanvas(picture, expected));

    // On the text box: the row's picture, not the file's name as text.
    ASSERT_TRUE(dropFile(w->slotRow(6).textBox(), picture));
    EXPECT_TRUE(w->slotRow(6).canvas()->canvas() == expected);
    EXPECT_TRUE(w->slotRow(6).imageBox()->isChecked());
    EXPECT_NE(w->slotRow(6).textBox()->text(), picture);
    // Off the rows a picture has nowhere to go.
    EXPECT_FALSE(dropFile(w->parts().settingsRow.modelBox(), picture));

    BadgeSetup other = w->parts().model.setup();
    other.slots[0].text = QStringLiteral("from a file");
    ASSERT_TRUE(saveSetupFile(file(QStringLiteral("dropped.ini")), other));
    ASSERT_TRUE(dropFile(w->parts().settingsRow.modelBox(), file(QStringLiteral("dropped.ini"))));
    EXPECT_EQ(w->parts().documents.document().path(), file(QStringLiteral("dropped.ini")));
    EXPECT_EQ(w->slotRow(0).textBox()->text(), QStringLiteral("from a file"));
    // An opened setup starts its own history.
    EXPECT_FALSE(w->parts().documents.history().canUndo());
}

TEST_F(SetupWindowTest, ExportPreviewWritesOneRoundAndSaysSo)
{
    auto w = renderedWindow();
    selectTexts(*w, {QStringLiteral("GIF"), QStringLiteral("round")});
    const QString path = file(QStringLiteral("face.gif"));
    dialogs->saveNames = {path};
    w->parts().menus.exportPreview->trigger();
    EXPECT_GT(QImageReader(path).imageCount(), 1) << "the whole round, not a still";
    EXPECT_TRUE(w->parts().statusRow.statusLine()->text().contains(QStringLiteral("face.gif")));

    // A folder that is not there: said so.
    dialogs->shown.clear();
    EXPECT_FALSE(w->parts().documents.exportPreview(file(QStringLiteral("no/such/folder.gif"))));
    EXPECT_EQ(dialogs->shown.size(), 1u);
}
