// Pictures the command line makes itself, an icon by name and an animated
// GIF as slot 1's frames, put the same bytes on the line as the window does
// with the dot editor and the GIF question.

#include "gui/doteditordialog.h"
#include "gui/pictureediting.h"
#include "sending/sendjob.h"
#include "support/gifwriter.h"
#include "support/windowfixture.h"

#include <QProcess>

using namespace glintag;

namespace {

QByteArray streamFromCommandLine(const QStringList &args, QByteArray *err)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(name));
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(GLINTAG_BIN_DIR "/glintag"), args);
    const bool sent = p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    *err = p.readAllStandardError();
    return sent ? p.readAllStandardOutput() : QByteArray();
}

} // namespace

class PictureSources : public WindowTest {};

TEST_F(PictureSources, IconsAndAnimatedGifsSendWhatTheWindowSends)
{
    // Three frames: a bar growing from the left of a 96 × 24 screen.
    GifWriter gif(96, 24);
    for (int k = 1; k <= 3; ++k) {
        std::vector<int> pixels(96 * 24, 0);
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 32 * k; ++x)
                pixels[size_t(y * 96 + x)] = 1;
        gif.addFrame(QRect(0, 0, 96, 24), pixels);
    }
    const QString gifPath = file(QStringLiteral("anim.gif"));
    ASSERT_TRUE(writeFile(gifPath, gif.finish()));
    const QString settings = file(QStringLiteral("s.ini"));
    ASSERT_TRUE(writeFile(settings, "[Language]\nLanguage=4\n"));

    const struct {
        const char *what;
        const char *model;
        std::function<void(MainWindow &)> make;
        QStringList args;
    } cases[] = {
        {"the heart icon",
         "R1",
         [](MainWindow &w) {
             w.parts().pictureEditing.open(0);
             DotEditorDialog *editor = w.parts().pictureEditing.editor();
             editor->iconBox()->setCurrentText(QStringLiteral("heart"));
             editor->button(DotEditorDialog::InsertIcon)->click();
             editor->button(DotEditorDialog::Apply)->click();
         },
         {"--picture", "icon:heart"}},
        {"an animated GIF on R1",
         "R1",
         [&](MainWindow &w) {
             dialogs->answers.push_back(Dialogs::Answer::Yes);
             dialogs->openNames.push_back(gifPath);
             w.slotRow(0).loadButton()->click();
         },
         {"--picture", gifPath, "--mode", "animation"}},
        {"an animated GIF on R2",
         "R2",
         [&](MainWindow &w) {
             dialogs->answers.push_back(Dialogs::Answer::Yes);
             dialogs->openNames.push_back(gifPath);
             w.slotRow(0).loadButton()->click();
         },
         {"--picture", gifPath, "--mode", "animation", "--model", "R2"}},
    };
    for (const auto &c : cases) {
        writeSettings("[Language]\nLanguage=4\n");
        auto w = renderedWindow();
        selectOnly(*w, {0});
        w->parts().settingsRow.modelBox()->setCurrentText(QLatin1String(c.model));
        w->slotRow(0).imageBox()->setChecked(true);
        c.make(*w);
        SendJob job;
        ASSERT_TRUE(job.prepare(w->parts().model.setup(), programDir())) << c.what;
        const QByteArray expected = uploadStream(job.snapshot());
        EXPECT_GT(job.snapshot().rendering.sent[0], 0) << c.what;

        QByteArray err;
        const QByteArray sent
            = streamFromCommandLine(QStringList{QStringLiteral("send"), QStringLiteral("--output"), QStringLiteral("-"),
                                                QStringLiteral("--quiet"), QStringLiteral("--settings"), settings}
                                        + c.args,
                                    &err);
        EXPECT_EQ(sent.toHex(' '), expected.toHex(' ')) << c.what << ": " << err.toStdString();
    }
    // The GIF's three frames: a third, two thirds and all of a 48 × 12 box, sent whole.
    EXPECT_EQ(dialogs->shown.size(), 2u); // the question, once per GIF load
    EXPECT_TRUE(dialogs->shown.front().text.contains(QLatin1String("3 frames")))
        << dialogs->shown.front().text.toStdString();

    // More frames than slot 1 holds: sent capped, with a word on standard error.
    GifWriter longGif(8, 8);
    for (int k = 0; k < 90; ++k)
        longGif.addFilledFrame(1 - k % 2);
    const QString longPath = file(QStringLiteral("long.gif"));
    ASSERT_TRUE(writeFile(longPath, longGif.finish()));
    QByteArray err;
    const QByteArray capped = streamFromCommandLine(
        {QStringLiteral("send"), QStringLiteral("--output"), QStringLiteral("-"), QStringLiteral("--quiet"),
         QStringLiteral("--settings"), settings, QStringLiteral("--picture"), longPath, QStringLiteral("--mode"),
         QStringLiteral("animation"), QStringLiteral("--model"), QStringLiteral("R2")},
        &err);
    EXPECT_FALSE(capped.isEmpty());
    EXPECT_TRUE(err.contains("the GIF has 90 frames; 4096 columns hold 85 of them (48 columns each)"))
        << err.toStdString();
    const QByteArray unknown
        = streamFromCommandLine({QStringLiteral("send"), QStringLiteral("--output"), QStringLiteral("-"),
                                 QStringLiteral("--picture"), QStringLiteral("icon:nosuch")},
                                &err);
    EXPECT_TRUE(unknown.isEmpty());
    EXPECT_TRUE(err.contains("icon:nosuch: no such icon; allowed heart, smiley")) << err.toStdString();
}
