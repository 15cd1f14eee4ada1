// The completion scripts as each shell runs them: bash's completion
// function with the words and line bash hands it and
// fish's own `complete -C`.
// The program they ask for ports is the built one, found on PATH.

#include "support/files.h"
#include "support/pseudoterminal.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <poll.h>

namespace {

struct Case {
    const char *line; // what was typed before Tab; "%s" is the settings file
    QStringList offered, notOffered;
};

class Completions : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(line.ok());
        // One port that opens and, behind every other name, a device that
        // is not there (so the machine's own serial ports are never
        // opened): only the first may be offered, as `glintag ports` lists
        // only ports that open.
        settings = dir.filePath(QStringLiteral("ports.ini"));
        QByteArray ini = "[Language]\nLanguage=4\n[Ports]\nCOM30=" + line.slavePath().toUtf8() + "\n";
        for (int n = 1; n <= 32; ++n)
            if (n != 30)
                ini += "COM" + QByteArray::number(n) + "=/dev/glintag-no-such-device-" + QByteArray::number(n) + "\n";
        ASSERT_TRUE(writeFile(settings, ini));
        ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("home"))));
    }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QLatin1String(name));
        env.insert(QStringLiteral("PATH"), QStringLiteral(GLINTAG_BIN_DIR ":") + env.value(QStringLiteral("PATH")));
        env.insert(QStringLiteral("HOME"), dir.filePath(QStringLiteral("home")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("home/.config")));
        return env;
    }

    QString script(const char *shell)
    {
        QProcess p;
        p.setProcessEnvironment(environment());
        p.start(QStringLiteral(GLINTAG_BIN_DIR "/glintag"), {QStringLiteral("completion"), QLatin1String(shell)});
        if (!p.waitForFinished(30000) || p.exitCode() != 0)
            return {};
        const QString path = dir.filePath(QStringLiteral("completion.") + QLatin1String(shell));
        return writeFile(path, p.readAllStandardOutput()) ? path : QString();
    }

    QString typed(const Case &c) const { return QString::fromUtf8(c.line).replace(QLatin1String("%s"), settings); }

    void expect(const Case &c, const QStringList &offered, const char *shell) const
    {
        for (const QString &w : c.offered)
            EXPECT_TRUE(offered.contains(w)) << shell << ": '" << c.line << "' lacks " << w.toStdString() << "; got "
                                             << offered.join(QLatin1Char(' ')).toStdString();
        for (const QString &w : c.notOffered)
            EXPECT_FALSE(offered.contains(w)) << shell << ": '" << c.line << "' offers " << w.toStdString();
    }

    QTemporaryDir dir;
    Pty line;
    QString settings;
};

// What every shell must offer; bash offers what follows a colon only (it
// splits words there), the others the whole word.
const Case kCases[] = {
    {"glintag help ", {"send", "preview", "ports", "completion", "watch"}, {"--help", "help"}},
    {"glintag help w", {"watch"}, {"send"}},
    {"glintag send --settings %s --port ", {"COM30"}, {"COM31", "--port"}},
    {"glintag watch --settings %s --port C", {"COM30"}, {"COM31"}},
    {"glintag send --picture icon:h", {"icon:heart"}, {"icon:star"}},
    {"glintag preview --picture icon:", {"icon:heart", "icon:star", "icon:smiley"}, {"--picture"}},
    {"glintag send -p icon:s", {"icon:star", "icon:smiley"}, {"icon:heart"}},
    {"glintag send --mode ", {"left", "freeze"}, {"icon:heart"}},
};

TEST_F(Completions, Bash)
{
    const QString path = script("bash");
    ASSERT_FALSE(path.isEmpty());
    for (const Case &c : kCases) {
        // The words as bash splits them (a colon is a word of its own), the
        // line and the cursor as bash sets them.
        QProcess bash;
        bash.setProcessEnvironment(environment());
        bash.start(QStringLiteral("bash"),
                   {QStringLiteral("-c"),
                    QStringLiteral(". \"$0\"; complete -p glintag; "
                                   "read -ra COMP_WORDS <<<\"${1//:/ : }\"; "
                                   "[ \"${1: -1}\" = ' ' ] && COMP_WORDS+=(''); "
                                   "COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); COMP_LINE=$1; COMP_POINT=${#1}; "
                                   "compopt() { :; }; _glintag; printf '%s\\n' \"${COMPREPLY[@]}\""),
                    path, typed(c)});
        ASSERT_TRUE(bash.waitForFinished(30000));
        QStringList lines = QString::fromUtf8(bash.readAllStandardOutput()).split(QLatin1Char('\n'));
        ASSERT_EQ(lines.value(0), QStringLiteral("complete -F _glintag glintag"));
        // bash puts back what it split off: the text before the colon.
        const QString word = typed(c).section(QLatin1Char(' '), -1);
        QStringList offered;
        for (const QString &l : lines.mid(1))
            offered << (word.contains(QLatin1Char(':')) ? word.section(QLatin1Char(':'), 0, -2) + ':' + l : l);
        expect(c, offered, "bash");
    }
}

TEST_F(Completions, Fish)
{
    const QString fish = QStandardPaths::findExecutable(QStringLiteral("fish"));
    if (fish.isEmpty())
        GTEST_SKIP() << "fish is not installed (bash tools/dev.sh test installs it)";
    const QString path = script("fish");
    ASSERT_FALSE(path.isEmpty());
    for (const Case &c : kCases) {
        QProcess p;
        p.setProcessEnvironment(environment());
        p.start(fish, {QStringLiteral("--no-config"), QStringLiteral("-c"),
                       QStringLiteral("source $argv[1]; complete -C $argv[2]"), path, typed(c)});
        ASSERT_TRUE(p.waitForFinished(30000));
        QStringList offered;
        for (const QString &l : QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n')))
            offered << l.section(QLatin1Char('\t'), 0, 0);
        expect(c, offered, "fish");
    }
}

} // namespace
