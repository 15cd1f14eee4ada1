#include "windowfixture.h"

#include "app/stripwidgets.h"
#include "link/throttledport.h"
#include "render/messagebuilder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include <functional>

using namespace glintag;

namespace {

const QString kOpenFilter = QStringLiteral("Picture(*.bmp;*.gif;*.jpg;*.ico)|*.bmp;*.gif;*.jpg;*.ico");
const QString kSaveFilter = QStringLiteral("Picture(*.bmp)|*.bmp");

constexpr int kSlot = 2;   // gauge colour #FFC000

// A 100 x 12 picture, black but for one red pixel in its last column:
// 13 bytes of a row reach it.
QImage redAtColumn99()
{
    QImage img(100, 12, QImage::Format_RGB32);
    img.fill(Qt::black);
    img.setPixel(99, 5, qRgb(255, 0, 0));
    return img;
}

} // namespace

class PictureTest : public WindowTest {
protected:
    // A window after its first rendering, only kSlot selected, in image mode.
    std::unique_ptr<Form1> imageSlotWindow()
    {
        auto w = makeWindow();
        waitForFirstRendering(*w);
        for (int i = 0; i < kSlotCount; ++i)
            w->ChkSel[i]->setChecked(i == kSlot);
        w->ChkImg[kSlot]->click();
        return w;
    }

    QString writePicture(const QString &name, const QImage &img)
    {
        const QString path = m_files.filePath(name);
        EXPECT_TRUE(img.save(path, "BMP")) << path.toStdString();
        return path;
    }

    void load(Form1 &w, const QString &path)
    {
        dialogs->openNames.push_back(path);
        w.CmdLdPic[kSlot]->click();
    }

    QTemporaryDir m_files;
};

TEST_F(PictureTest, TickingImageSwapsTextForTheStripAndBackKeepingBoth)
{
    auto w = makeWindow();
    waitForFirstRendering(*w);
    for (int i = 0; i < kSlotCount; ++i)
        w->ChkSel[i]->setChecked(i == kSlot);
    ASSERT_EQ(w->rowBytes()[kSlot], 8) << "MESSAGE3";
    const QList<QWidget *> strip = {w->Picture1[kSlot], w->HScroll1[kSlot], w->CmdLdPic[kSlot], w->CmdSvPic[kSlot]};
    for (QWidget *c : strip)
        EXPECT_TRUE(c->isHidden());

    const int top = 40 + 32 * kSlot;
    EXPECT_EQ(w->Picture1[kSlot]->geometry(), QRect(56, top, 328, 22));
    EXPECT_EQ(w->HScroll1[kSlot]->geometry(), QRect(382, top, 27, 22));
    EXPECT_EQ(w->CmdLdPic[kSlot]->geometry(), QRect(416, top, 73, 22));
    EXPECT_EQ(w->CmdSvPic[kSlot]->geometry(), QRect(496, top, 73, 22));
    EXPECT_EQ(w->HScroll1[kSlot]->minimum(), -3);
    EXPECT_EQ(w->HScroll1[kSlot]->maximum(), 3775);
    EXPECT_EQ(w->PicBox[kSlot]->size(), QSize(4096, 12));

    struct Step {
        const char *what;
        bool image;
        int rowBytes;
    } steps[] = {{"tick, empty canvas", true, 0}, {"untick", false, 8}};
    for (const Step &s : steps) {
        const int before = w->renderRuns();
        w->ChkImg[kSlot]->click();
        ASSERT_EQ(w->ChkImg[kSlot]->isChecked(), s.image) << s.what;
        EXPECT_EQ(w->renderRuns(), before + 1) << s.what;
        EXPECT_EQ(w->TxtMsg[kSlot]->isHidden(), s.image) << s.what;
        for (QWidget *c : strip)
            EXPECT_EQ(c->isHidden(), !s.image) << s.what;
        EXPECT_EQ(w->rowBytes()[kSlot], s.rowBytes) << s.what;
    }

    // A picture panned somewhere, then text mode and back.
    w->ChkImg[kSlot]->click();
    load(*w, writePicture(QStringLiteral("p.bmp"), redAtColumn99()));
    w->HScroll1[kSlot]->setValue(250);
    const QImage canvas = w->PicBox[kSlot]->canvas();
    w->ChkImg[kSlot]->click();
    EXPECT_EQ(w->TxtMsg[kSlot]->text(), QStringLiteral("MESSAGE3"));
    EXPECT_EQ(w->rowBytes()[kSlot], 8);
    w->ChkImg[kSlot]->click();
    EXPECT_EQ(w->PicBox[kSlot]->canvas(), canvas);
    EXPECT_EQ(w->HScroll1[kSlot]->value(), 250);
    EXPECT_EQ(w->PicBox[kSlot]->pos(), QPoint(-250, 3));
    EXPECT_EQ(w->rowBytes()[kSlot], 13);
}

TEST_F(PictureTest, LoadResetsThePanAndRendersThePicture)
{
    auto w = imageSlotWindow();
    EXPECT_EQ(w->PicBox[kSlot]->pos(), QPoint(3, 3));
    w->HScroll1[kSlot]->setValue(100);
    EXPECT_EQ(w->PicBox[kSlot]->pos(), QPoint(-100, 3)) << "pan";
    EXPECT_EQ(w->rowBytes()[kSlot], 0);
    EXPECT_EQ(w->Picture2->image().pixel(5, 5), qRgb(0, 0, 0));

    load(*w, writePicture(QStringLiteral("red99.bmp"), redAtColumn99()));
    ASSERT_TRUE(dialogs->shown.empty()) << dialogs->shown.front().detail.toStdString();
    EXPECT_EQ(dialogs->filters, QStringList{kOpenFilter});
    EXPECT_EQ(w->HScroll1[kSlot]->value(), -3);
    EXPECT_EQ(w->PicBox[kSlot]->pos(), QPoint(3, 3));
    const QImage &canvas = w->PicBox[kSlot]->canvas();
    ASSERT_EQ(canvas.size(), QSize(4096, 12));
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 4096; ++x)
            ASSERT_EQ(canvas.pixel(x, y) & 0xFFFFFF, x == 99 && y == 5 ? 0xFF0000u : 0u) << x << "," << y;
    EXPECT_EQ(w->rowBytes()[kSlot], 13);
    EXPECT_EQ(w->dotBuffer().at(kSlot, 5, 12), 0x10) << "column 99 is bit 4 of byte 12";
    // 13 bytes are 19.5 gauge pixels, rounded to 20.
    const QImage &gauge = w->Picture2->image();
    EXPECT_EQ(gauge.pixel(5, 5), slotColour(kSlot));
    EXPECT_EQ(gauge.pixel(18, 5), slotColour(kSlot));
    EXPECT_EQ(gauge.pixel(20, 5), qRgb(0, 0, 0));

    // A second, smaller picture replaces the first entirely.
    QImage small(8, 12, QImage::Format_RGB32);
    small.fill(Qt::black);
    small.setPixel(0, 0, qRgb(200, 0, 0));
    load(*w, writePicture(QStringLiteral("small.bmp"), small));
    EXPECT_EQ(canvas.pixel(99, 5) & 0xFFFFFF, 0u);
    EXPECT_EQ(w->rowBytes()[kSlot], 1);
}

TEST_F(PictureTest, FailedOrCancelledLoadChangesNothing)
{
    auto w = imageSlotWindow();
    load(*w, writePicture(QStringLiteral("red99.bmp"), redAtColumn99()));
    w->HScroll1[kSlot]->setValue(77);
    const QImage canvas = w->PicBox[kSlot]->canvas();
    const DotBuffer dots = w->dotBuffer();
    ASSERT_EQ(w->rowBytes()[kSlot], 13);

    const QString textFile = m_files.filePath(QStringLiteral("notes.bmp"));
    {
        QFile f(textFile);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("just some words, not a picture\n");
    }
    struct Case {
        const char *what;
        QString name;
        bool reported;
    } cases[] = {
        {"cancel", QString(), false},
        {"missing file", m_files.filePath(QStringLiteral("absent.bmp")), true},
        {"text named .bmp", textFile, true},
    };
    for (const Case &c : cases) {
        dialogs->shown.clear();
        dialogs->filters.clear();
        load(*w, c.name);
        EXPECT_EQ(dialogs->filters, QStringList{kOpenFilter}) << c.what;
        ASSERT_EQ(dialogs->shown.size(), c.reported ? 1u : 0u) << c.what;
        if (c.reported) {
            EXPECT_EQ(dialogs->shown[0].text, QStringLiteral("Open picture fail!")) << c.what;
            EXPECT_EQ(dialogs->shown[0].title, QStringLiteral("Error")) << c.what;
            EXPECT_TRUE(dialogs->shown[0].detail.contains(c.name)) << c.what;
        }
        EXPECT_EQ(w->PicBox[kSlot]->canvas(), canvas) << c.what;
        EXPECT_EQ(w->HScroll1[kSlot]->value(), 77) << c.what;
        EXPECT_EQ(w->PicBox[kSlot]->x(), -77) << c.what;
        EXPECT_EQ(w->rowBytes()[kSlot], 13) << c.what;
        EXPECT_TRUE(w->dotBuffer().bytes == dots.bytes) << c.what;
    }
}

TEST_F(PictureTest, SaveWritesTheWholeCanvasAsBmp)
{
    auto w = imageSlotWindow();
    const QDir out(m_files.path());
    struct Case {
        const char *what;
        QString name;   // empty: cancel
        bool loadFirst;
    } cases[] = {
        {"never loaded: all black", out.filePath(QStringLiteral("blank.bmp")), false},
        {"after a load, odd extension", out.filePath(QStringLiteral("copy.pic")), true},
        {"cancel", QString(), true},
    };
    for (const Case &c : cases) {
        if (c.loadFirst)
            load(*w, writePicture(QStringLiteral("src.bmp"), redAtColumn99()));
        const QStringList before = out.entryList(QDir::Files);
        dialogs->filters.clear();
        dialogs->saveNames.push_back(c.name);
        w->CmdSvPic[kSlot]->click();
        EXPECT_EQ(dialogs->filters, QStringList{kSaveFilter}) << c.what;
        EXPECT_TRUE(dialogs->shown.empty()) << c.what;
        if (c.name.isEmpty()) {
            EXPECT_EQ(out.entryList(QDir::Files), before) << c.what;
            continue;
        }
        QFile f(c.name);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << c.what;
        EXPECT_EQ(f.read(2), QByteArray("BM")) << c.what;
        f.close();
        const QImage saved(c.name, "BMP");
        ASSERT_EQ(saved.size(), QSize(4096, 12)) << c.what;
        EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32), w->PicBox[kSlot]->canvas()) << c.what;

        // What was saved loads back into the same canvas.
        const QImage canvas = w->PicBox[kSlot]->canvas();
        load(*w, c.name);
        EXPECT_EQ(w->PicBox[kSlot]->canvas(), canvas) << c.what;
    }

    dialogs->saveNames.push_back(out.filePath(QStringLiteral("no/such/folder/x.bmp")));
    w->CmdSvPic[kSlot]->click();
    ASSERT_EQ(dialogs->shown.size(), 1u);
    EXPECT_EQ(dialogs->shown[0].text, QStringLiteral("Save picture fail!"));
    EXPECT_EQ(dialogs->shown[0].title, QStringLiteral("Error"));
    EXPECT_FALSE(QFile::exists(out.filePath(QStringLiteral("no/such/folder/x.bmp"))));
}

class PictureDuringUpload : public PictureTest {
protected:
    void SetUp() override
    {
        PictureTest::SetUp();
        throttled = std::make_shared<ThrottledPort>();
        throttled->openable = {3};
        throttled->drainPerPoll = 40;
        port = throttled;
    }
    std::shared_ptr<ThrottledPort> throttled;
};

TEST_F(PictureDuringUpload, SaveIsAllowedWhileSending)
{
    auto w = imageSlotWindow();
    load(*w, writePicture(QStringLiteral("red99.bmp"), redAtColumn99()));
    const QString target = m_files.filePath(QStringLiteral("during.bmp"));
    dialogs->saveNames.push_back(target);
    bool wasOpen = false;
    Form1 *raw = w.get();
    throttled->onPoll = [&, raw] {
        if (!dialogs->saveNames.empty()) {
            wasOpen = raw->MSComm1->isOpen();
            raw->CmdSvPic[kSlot]->click();
        }
    };
    w->CmdSend->click();
    throttled->onPoll = nullptr;
    EXPECT_TRUE(wasOpen);
    EXPECT_TRUE(dialogs->shown.empty());
    EXPECT_EQ(QImage(target, "BMP").size(), QSize(4096, 12));
    EXPECT_EQ(throttled->written.size(), 100 + 12 * 13) << "the upload went on";
}
