// The completion scripts as each shell runs them: bash's completion
// function with the words and line bash hands it, fish's own `complete -C`,
// zsh's completion system in a real interactive shell on a pseudo-terminal.
// The program they ask for ports is the built one, found on PATH.

#include "support/files.h"
#include "support/programrun.h"
#include "support/pseudoterminal.h"

#include <QStandardPaths>

#include <gtest/gtest.h>

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
        ASSERT_TRUE(writeFile(settings, portSettings(dir.path(), {{30, line.slavePath()}})));
    }

    QString script(const char *shell)
    {
        ProgramRun run;
        if (run.run({QStringLiteral("completion"), QLatin1String(shell)}) != 0)
            return {};
        const QString path = dir.filePath(QStringLiteral("completion.") + QLatin1String(shell));
        return writeFile(path, run.out) ? path : QString();
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
        ProgramRun bash;
        ASSERT_EQ(bash.run({QStringLiteral("-c"),
                            QStringLiteral(". \"$0\"; complete -p glintag; "
                                           "read -ra COMP_WORDS <<<\"${1//:/ : }\"; "
                                           "[ \"${1: -1}\" = ' ' ] && COMP_WORDS+=(''); "
                                           "COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); COMP_LINE=$1; COMP_POINT=${#1}; "
                                           "compopt() { :; }; _glintag; printf '%s\\n' \"${COMPREPLY[@]}\""),
                            path, typed(c)},
                           {}, QStringLiteral("bash")),
                  0);
        QStringList lines = QString::fromUtf8(bash.out).split(QLatin1Char('\n'));
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
        ProgramRun p;
        p.run({QStringLiteral("--no-config"), QStringLiteral("-c"),
               QStringLiteral("source $argv[1]; complete -C $argv[2]"), path, typed(c)},
              {}, fish);
        QStringList offered;
        for (const QString &l : QString::fromUtf8(p.out).split(QLatin1Char('\n')))
            offered << l.section(QLatin1Char('\t'), 0, 0);
        expect(c, offered, "fish");
    }
}

// zsh completes only in its line editor: an interactive zsh on a
// pseudo-terminal loads the script through compinit, and every match its
// completion system adds is written to a file, then the line is dropped.
TEST_F(Completions, Zsh)
{
    const QString zsh = QStandardPaths::findExecutable(QStringLiteral("zsh"));
    if (zsh.isEmpty())
        GTEST_SKIP() << "zsh is not installed (bash tools/dev.sh test installs it)";
    const QString path = script("zsh");
    ASSERT_FALSE(path.isEmpty());
    const QString functions = dir.filePath(QStringLiteral("functions"));
    ASSERT_TRUE(QDir().mkpath(functions));
    ASSERT_TRUE(QFile::copy(path, functions + QStringLiteral("/_glintag")));
    const QString matches = dir.filePath(QStringLiteral("matches"));
    const QByteArray init = "fpath=(" + QFile::encodeName(functions)
        + " $fpath)\n"
          "autoload -Uz compinit && compinit -u -d "
        + QFile::encodeName(dir.filePath(QStringLiteral("zcompdump")))
        + "\n"
          // Every match compadd takes, one a line, whatever function adds it.
          "compadd() {\n"
          "  local -a added\n"
          "  builtin compadd -O added \"$@\"\n"
          "  (( ${#added} )) && print -rl -- \"${added[@]}\" >> "
        + QFile::encodeName(matches)
        + "\n"
          "  builtin compadd \"$@\"\n"
          "}\n"
          "zstyle ':completion:*' list-prompt ''\n"
          // Tab says when its completion is over, so nothing typed after it
          // is already waiting (zsh cuts a completion short for typeahead).
          "_glintag_test_tab() { zle expand-or-complete; zle -M \"tab$((6*7))done\" }\n"
          "zle -N _glintag_test_tab\n"
          "bindkey '^I' _glintag_test_tab\n"
          "zstyle ':completion:*' menu no\n"
          "PS1='zsh> '\n";
    const QString initFile = dir.filePath(QStringLiteral("init.zsh"));
    ASSERT_TRUE(writeFile(initFile, init));

    Pty terminal;
    ASSERT_TRUE(terminal.ok());
    // A session of its own with the terminal as its controlling one, as a
    // login gives it.
    ProgramRun zshRun;
    zshRun.env.insert(QStringLiteral("TERM"), QStringLiteral("dumb"));
    zshRun.process.setStandardInputFile(terminal.slavePath());
    zshRun.process.setStandardOutputFile(terminal.slavePath());
    zshRun.process.setStandardErrorFile(terminal.slavePath());
    ASSERT_TRUE(
        zshRun.start({QStringLiteral("-w"), QStringLiteral("-c"), zsh, QStringLiteral("-f"), QStringLiteral("-i")}, {},
                     true, QStringLiteral("setsid")));
    // Reads what the shell writes until `marker` shows, bounded by the
    // terminal's own time-out per read.
    auto readUntil = [&](const QByteArray &marker) {
        QByteArray seen;
        for (int reads = 0; reads < 200 && !seen.contains(marker); ++reads) {
            const QByteArray more = terminal.read(1);
            if (more.isEmpty())
                break;
            seen += more;
        }
        return seen.contains(marker);
    };
    auto send = [&](const QByteArray &bytes) {
        return ::write(terminal.masterFd(), bytes.constData(), size_t(bytes.size())) == bytes.size();
    };
    ASSERT_TRUE(send("source " + QFile::encodeName(initFile) + "; print -r -- ready$((6*7))\n"));
    ASSERT_TRUE(readUntil("ready42"));
    int n = 0;
    for (const Case &c : kCases) {
        QFile::remove(matches);
        const QByteArray done = "done" + QByteArray::number(++n * 1000 + 7);
        // Tab completes, Ctrl+U drops the line, and the marker says the
        // shell is back at its prompt with the matches written.
        ASSERT_TRUE(send(typed(c).toUtf8() + "\t"));
        ASSERT_TRUE(readUntil("tab42done")) << c.line;
        ASSERT_TRUE(send("\x15print -r -- done$((" + QByteArray::number(n) + "*1000+7))\n"));
        ASSERT_TRUE(readUntil(done)) << c.line;
        expect(c, QString::fromUtf8(readFile(matches)).split(QLatin1Char('\n')), "zsh");
    }
    send("exit\n");
    zshRun.finish();
}

} // namespace
