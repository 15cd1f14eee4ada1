// The window cannot open in many ways; each must end as one line naming the
// cause and the commands that need no window, with exit status 1, never
// with Qt's abort.

#include "support/programrun.h"

#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

TEST(WindowStart, EveryFailureIsOneLineAndStatusOne)
{
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    // A display number nothing listens on.
    int free = 4999;
    while (QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(free)))
        ++free;
    const QString unreachable = QStringLiteral(":%1").arg(free);
    const QString huge = QStringLiteral(":") + QString(100000, QLatin1Char('9'));

    const struct {
        const char *what;
        QList<QPair<QString, QString>> set; // besides a home, nothing names a display
        QByteArray cause;
    } cases[] = {
        {"no display", {}, "glintag: no display to open the window on"},
        {"unreachable X display",
         {{"DISPLAY", unreachable}},
         "glintag: cannot connect to the display (DISPLAY=" + unreachable.toUtf8() + ")"},
        {"unreachable X display chosen by name",
         {{"DISPLAY", unreachable}, {"QT_QPA_PLATFORM", "xcb"}},
         "glintag: cannot connect to the display (DISPLAY=" + unreachable.toUtf8() + ")"},
        {"bogus Wayland socket",
         {{"WAYLAND_DISPLAY", "glintag-no-such-socket"}, {"XDG_RUNTIME_DIR", runtime.path()}},
         "glintag: cannot connect to the display (WAYLAND_DISPLAY=glintag-no-such-socket)"},
        {"missing platform plugin",
         {{"QT_QPA_PLATFORM", "glintag-no-such-platform"}},
         "glintag: the window system plugin 'glintag-no-such-platform' is not installed"},
        // The value is cut, not repeated whole.
        {"display name of 100 kB", {{"DISPLAY", huge}}, "glintag: cannot connect to the display (DISPLAY=:999"},
    };
    for (const auto &c : cases) {
        ProgramRun run;
        for (const auto &[name, value] : c.set)
            run.env.insert(name, value);
        EXPECT_EQ(run.run({}), 1) << c.what << ": " << run.err.toStdString();
        EXPECT_TRUE(run.err.startsWith(c.cause)) << c.what << ": " << run.err.toStdString();
        EXPECT_TRUE(run.err.contains("use 'glintag send', 'glintag preview' or 'glintag ports'")) << c.what;
        // One line, ended.
        EXPECT_EQ(run.err.indexOf('\n'), run.err.size() - 1) << c.what << ": " << run.err.toStdString();
        EXPECT_LT(run.err.size(), 400) << c.what;
        EXPECT_TRUE(run.out.isEmpty()) << c.what;
    }
}

} // namespace
