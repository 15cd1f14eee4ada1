// A setup saved in the window, sent and previewed by the command line, and
// opened by a window that has never run on this account.

#include "files/picturefile.h"
#include "sending/sendjob.h"
#include "support/programrun.h"
#include "support/windowfixture.h"

#include <QRandomGenerator>

using namespace glintag;

TEST_F(WindowTest, SetupSavedInTheWindowSendsTheWindowsBytesAndOpensOnAFreshHome)
{
    auto w = renderedWindow();
    w->parts().settingsRow.languageBox()->setCurrentIndex(UiEnglish);
    w->parts().settingsRow.modelBox()->setCurrentText(QStringLiteral("R2"));
    // Sixteen slots, each a picture across the whole canvas.
    QRandomGenerator random(42);
    for (int i = 0; i < kSlotCount; ++i) {
        QImage canvas = makeBlankCanvas();
        for (int x = 0; x < kCanvasWidth; ++x)
            canvas.setPixel(x, int(random.bounded(12)), 0xFFFFFFFFu);
        w->slotRow(i).showPicture(canvas);
        w->slotRow(i).imageBox()->setChecked(i % 3 != 2);
        w->slotRow(i).textBox()->setText(QStringLiteral("slot %1").arg(i + 1));
    }
    QTemporaryDir elsewhere, home;
    const QString path = elsewhere.filePath(QStringLiteral("show.ini"));
    dialogs->saveNames = {path};
    ASSERT_TRUE(w->parts().documents.saveAs());
    SendJob job;
    ASSERT_TRUE(job.prepare(w->parts().model.setup(), programDir()));
    const QByteArray expected = uploadStream(job.snapshot());

    EXPECT_EQ(sendOutput(home.path(), {QStringLiteral("--settings"), path}).toHex(' '), expected.toHex(' '));
    // Only the chosen file was written.
    EXPECT_EQ(QDir(elsewhere.path()).entryList(QDir::Files | QDir::NoDotAndDotDot), QStringList{"show.ini"});

    // The command line's animation is the window's Export preview.
    const QString fromWindow = elsewhere.filePath(QStringLiteral("window.gif"));
    const QString fromLine = home.filePath(QStringLiteral("line.gif"));
    ASSERT_TRUE(w->parts().documents.exportPreview(fromWindow));
    ProgramRun preview(home.path());
    EXPECT_EQ(
        preview.run({QStringLiteral("preview"), QStringLiteral("--settings"), path, QStringLiteral("--gif"), fromLine}),
        0);
    EXPECT_GT(readFile(fromWindow).size(), 1000);
    EXPECT_TRUE(readFile(fromWindow) == readFile(fromLine));

    // Another window, in a program folder of its own, opens the same setup.
    QTemporaryDir otherProgram;
    MainWindowOptions o = options();
    o.programDir = otherProgram.path();
    MainWindow fresh(o);
    waitForFirstRendering(fresh);
    ASSERT_TRUE(fresh.parts().documents.open(path));
    EXPECT_TRUE(fresh.parts().model.setup() == w->parts().model.setup());
}
