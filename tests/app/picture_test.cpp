#include "windowfixture.h"

#include "app/stripwidgets.h"
#include "link/throttledport.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

using namespace glintag;

const QString kOpenFilter = QStringLiteral("Picture(*.bmp;*.gif;*.jpg;*.ico)|*.bmp;*.gif;*.jpg;*.ico");
const QString kSaveFilter = QStringLiteral("Picture(*.bmp)|*.bmp");
constexpr int kSlot = 2;

class PictureTest : public WindowTest {
protected:
    // In image mode after the first rendering, only kSlot selected.
    std::unique_ptr<Form1> slotWindow()
    {
        auto w = makeWindow();
        waitForFirstRendering(*w);
        for (int i = 0; i < kSlotCount; ++i)
            w->ChkSel[i]->setChecked(i == kSlot);
        w->ChkImg[kSlot]->click();
        return w;
    }
    // 100 x 12, black but for one lit pixel in column 100, so 13 bytes of a row reach it.
    void loadLitAtColumn100(Form1 &w)
    {
        QImage img(100, 12, QImage::Format_RGB32);
        img.fill(Qt::black);
        img.setPixel(99, 5, qRgb(255, 0, 0));
        ASSERT_TRUE(img.save(m_files.filePath("lit.bmp"), "BMP"));
        dialogs->openNames.push_back(m_files.filePath("lit.bmp"));
        w.CmdLdPic[kSlot]->click();
    }
    QTemporaryDir m_files;
};

TEST_F(PictureTest, ImageModeSwapsTextAndStripAndKeepsBothAcrossSwitches)
{
    auto w = slotWindow();
    const QList<QWidget *> strip = {w->Picture1[kSlot], w->HScroll1[kSlot], w->CmdLdPic[kSlot], w->CmdSvPic[kSlot]};
    // "MESSAGE3" takes 8 bytes a row, the empty canvas none
    for (const auto &[image, rowBytes] : {std::pair{false, 8}, {true, 0}}) {
        const int before = w->renderRuns();
        w->ChkImg[kSlot]->click();
        EXPECT_EQ(w->renderRuns(), before + 1);
        EXPECT_EQ(w->TxtMsg[kSlot]->isHidden(), image);
        for (QWidget *c : strip)
            EXPECT_EQ(c->isHidden(), !image);
        EXPECT_EQ(w->rowBytes()[kSlot], rowBytes);
    }
    w->HScroll1[kSlot]->setValue(100);
    loadLitAtColumn100(*w);
    EXPECT_EQ(w->HScroll1[kSlot]->value(), -3);
    EXPECT_EQ(w->rowBytes()[kSlot], 13);
    EXPECT_EQ(w->dotBuffer().at(kSlot, 5, 12), 0x10);   // column 100 is bit 4 of byte 13
    w->HScroll1[kSlot]->setValue(250);
    const QImage canvas = w->PicBox[kSlot]->canvas();
    w->ChkImg[kSlot]->click();
    EXPECT_EQ(w->TxtMsg[kSlot]->text(), QStringLiteral("MESSAGE3"));
    EXPECT_EQ(w->rowBytes()[kSlot], 8);
    w->ChkImg[kSlot]->click();
    EXPECT_EQ(w->PicBox[kSlot]->canvas(), canvas);
    EXPECT_EQ(w->PicBox[kSlot]->pos(), QPoint(-250, 3));
    EXPECT_EQ(w->rowBytes()[kSlot], 13);
}

TEST_F(PictureTest, CancelledOrFailedDialogsChangeAndWriteNothing)
{
    auto w = slotWindow();
    loadLitAtColumn100(*w);
    w->HScroll1[kSlot]->setValue(77);
    const QImage canvas = w->PicBox[kSlot]->canvas();
    const QStringList files = QDir(m_files.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    const struct { bool open; QString name, error; } cases[] = {
        {true, "", ""}, {true, m_files.filePath("absent.bmp"), "Error: Open picture fail!"},
        {true, QCoreApplication::applicationFilePath(), "Error: Open picture fail!"},   // this test program
        {false, "", ""}, {false, m_files.filePath("no/such/folder/x.bmp"), "Error: Save picture fail!"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        *dialogs = FakeDialogs();
        (c.open ? dialogs->openNames : dialogs->saveNames).push_back(c.name);
        (c.open ? w->CmdLdPic : w->CmdSvPic)[kSlot]->click();
        EXPECT_EQ(dialogs->filters, QStringList{c.open ? kOpenFilter : kSaveFilter});
        ASSERT_LE(dialogs->shown.size(), 1u);
        EXPECT_EQ(dialogs->shown.empty() ? QString() : dialogs->shown[0].title + ": " + dialogs->shown[0].text, c.error);
        EXPECT_EQ(w->PicBox[kSlot]->canvas(), canvas);
        EXPECT_EQ(w->PicBox[kSlot]->x(), -77);
        EXPECT_EQ(w->rowBytes()[kSlot], 13);
        EXPECT_EQ(QDir(m_files.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), files);
    }
}

TEST_F(PictureTest, SaveDuringAnUploadWritesTheCanvas)
{
    auto throttled = std::make_shared<ThrottledPort>();
    throttled->openable = {3};
    throttled->drainPerPoll = 40;
    port = throttled;
    auto w = slotWindow();
    loadLitAtColumn100(*w);
    dialogs->saveNames.push_back(m_files.filePath("during.bmp"));
    throttled->onPoll = [&, raw = w.get()] {
        if (!dialogs->saveNames.empty()) {
            EXPECT_TRUE(raw->MSComm1->isOpen());
            raw->CmdSvPic[kSlot]->click();
        }
    };
    w->CmdSend->click();
    throttled->onPoll = nullptr;
    EXPECT_EQ(QImage(m_files.filePath("during.bmp"), "BMP").convertToFormat(QImage::Format_RGB32), w->PicBox[kSlot]->canvas());
    EXPECT_EQ(throttled->written.size(), 100 + 12 * 13);   // the upload went on
}
