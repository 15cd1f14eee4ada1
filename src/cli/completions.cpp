#include "cli/completions.h"

namespace glintag {

namespace {

// Options every command takes, as the parser adds them.
QList<QCommandLineOption> withStandardOptions(const CommandTable &c)
{
    QList<QCommandLineOption> all = c.options;
    all.append({{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help.")});
    all.append({QStringLiteral("help-all"), QStringLiteral("Show this help.")});
    all.append({{QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("Show the version.")});
    return all;
}

QString dashed(const QString &name)
{
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

// The first sentence, for the shells that show one line per option: it
// ends at a full stop before a capital ("e.g. 1-3" goes on).
QString firstSentence(const QString &text)
{
    int end = -1;
    for (int at = text.indexOf(QLatin1String(". ")); at >= 0 && end < 0; at = text.indexOf(QLatin1String(". "), at + 1))
        if (at + 2 < text.size() && text[at + 2].isUpper())
            end = at;
    QString s = end < 0 ? text : text.left(end + 1);
    if (s.endsWith(QLatin1Char('.')))
        s.chop(1);
    return s;
}

QString singleQuoted(QString text)
{
    return QLatin1Char('\'') + text.replace(QLatin1Char('\''), QLatin1String("'\\''")) + QLatin1Char('\'');
}

QString bashScript(const QList<CommandTable> &commands, const ValueChoices &choices)
{
    QStringList names;
    for (const CommandTable &c : commands)
        names << c.name;
    QString s = QStringLiteral("# bash completion for glintag\n"
                               "_glintag()\n"
                               "{\n"
                               "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n"
                               "    if [ \"$COMP_CWORD\" -eq 1 ]; then\n"
                               "        COMPREPLY=($(compgen -W '%1 help --help --version' -- \"$cur\"))\n"
                               "        return\n"
                               "    fi\n"
                               "    case ${COMP_WORDS[1]} in\n")
                    .arg(names.join(QLatin1Char(' ')));
    for (const CommandTable &c : commands) {
        s += QStringLiteral("    %1)\n        case $prev in\n").arg(c.name);
        QStringList flags;
        for (const QCommandLineOption &o : withStandardOptions(c)) {
            QStringList spelled;
            for (const QString &n : o.names())
                spelled << dashed(n);
            flags += spelled;
            if (o.valueName().isEmpty())
                continue;
            const QStringList values = choices(o.valueName());
            QString action;
            if (values == QStringList{kFileValues})
                action = QStringLiteral("compopt -o filenames; COMPREPLY=($(compgen -f -- \"$cur\"))");
            else if (!values.isEmpty())
                action
                    = QStringLiteral("COMPREPLY=($(compgen -W '%1' -- \"$cur\"))").arg(values.join(QLatin1Char(' ')));
            else
                action = QStringLiteral("COMPREPLY=()");
            s += QStringLiteral("        %1) %2; return ;;\n").arg(spelled.join(QLatin1Char('|')), action);
        }
        if (c.name == QLatin1String("completion"))
            flags += completionShells();
        s += QStringLiteral("        esac\n"
                            "        COMPREPLY=($(compgen -W '%1' -- \"$cur\")) ;;\n")
                 .arg(flags.join(QLatin1Char(' ')));
    }
    s += QStringLiteral("    esac\n"
                        "}\n"
                        "complete -F _glintag glintag\n");
    return s;
}

// zsh's _arguments specs put descriptions in brackets after a colon-free
// name; brackets and colons inside them must be escaped.
QString zshText(QString text)
{
    text = firstSentence(text);
    text.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    text.replace(QLatin1Char('['), QLatin1String("\\["));
    text.replace(QLatin1Char(']'), QLatin1String("\\]"));
    text.replace(QLatin1Char(':'), QLatin1String("\\:"));
    return text;
}

QString zshScript(const QList<CommandTable> &commands, const ValueChoices &choices)
{
    QString s = QStringLiteral("#compdef glintag\n"
                               "# zsh completion for glintag\n"
                               "_glintag() {\n"
                               "    if (( CURRENT == 2 )); then\n"
                               "        local -a commands=(\n");
    for (const CommandTable &c : commands)
        s += QStringLiteral("            %1\n").arg(singleQuoted(c.name + QLatin1Char(':') + zshText(c.summary)));
    s += QStringLiteral("        )\n"
                        "        _describe -t commands command commands\n"
                        "        _arguments '--help[Show the help]' '--version[Show the version]'\n"
                        "        return\n"
                        "    fi\n"
                        "    local command=$words[2]\n"
                        "    shift words\n"
                        "    (( CURRENT-- ))\n"
                        "    case $command in\n");
    for (const CommandTable &c : commands) {
        s += QStringLiteral("    %1)\n        _arguments -s \\\n").arg(c.name);
        for (const QCommandLineOption &o : withStandardOptions(c)) {
            QString value;
            if (!o.valueName().isEmpty()) {
                const QStringList values = choices(o.valueName());
                QString action;
                if (values == QStringList{kFileValues})
                    action = QStringLiteral("_files");
                else if (!values.isEmpty())
                    action = QStringLiteral("(%1)").arg(values.join(QLatin1Char(' ')));
                else
                    action = QStringLiteral(" ");
                value = QStringLiteral(":%1:%2").arg(o.valueName().toLower(), action);
            }
            QStringList spelled;
            for (const QString &n : o.names())
                spelled << dashed(n);
            const QString spec = QStringLiteral("[%1]%2").arg(zshText(o.description()), value);
            // zsh offers an option once unless told it may come again.
            if (c.repeatable.contains(o.names().last())) {
                if (spelled.size() == 1)
                    s += QStringLiteral("            %1 \\\n")
                             .arg(singleQuoted(QLatin1Char('*') + spelled.first() + spec));
                else
                    s += QStringLiteral("            '*'{%1}%2 \\\n")
                             .arg(spelled.join(QLatin1Char(',')), singleQuoted(spec));
                continue;
            }
            if (spelled.size() == 1) {
                s += QStringLiteral("            %1 \\\n").arg(singleQuoted(spelled.first() + spec));
            } else {
                const QString exclusion = QStringLiteral("(%1)").arg(spelled.join(QLatin1Char(' ')));
                s += QStringLiteral("            %1{%2}%3 \\\n")
                         .arg(singleQuoted(exclusion), spelled.join(QLatin1Char(',')), singleQuoted(spec));
            }
        }
        if (c.takesTexts)
            s += QStringLiteral("            '*:text: ' \\\n");
        if (c.name == QLatin1String("completion"))
            s += QStringLiteral("            '1:shell:(%1)' \\\n").arg(completionShells().join(QLatin1Char(' ')));
        s += QStringLiteral("            && return ;;\n");
    }
    s += QStringLiteral("    esac\n"
                        "}\n"
                        "_glintag \"$@\"\n");
    return s;
}

QString fishScript(const QList<CommandTable> &commands, const ValueChoices &choices)
{
    QStringList names;
    for (const CommandTable &c : commands)
        names << c.name;
    QString s = QStringLiteral("# fish completion for glintag\n"
                               "complete -c glintag -f\n"
                               "complete -c glintag -n __fish_use_subcommand -l help -d 'Show the help'\n"
                               "complete -c glintag -n __fish_use_subcommand -l version -d 'Show the version'\n");
    for (const CommandTable &c : commands)
        s += QStringLiteral("complete -c glintag -n __fish_use_subcommand -a %1 -d %2\n")
                 .arg(c.name, singleQuoted(firstSentence(c.summary)));
    for (const CommandTable &c : commands) {
        const QString when = singleQuoted(QStringLiteral("__fish_seen_subcommand_from ") + c.name);
        for (const QCommandLineOption &o : withStandardOptions(c)) {
            QString line = QStringLiteral("complete -c glintag -n %1").arg(when);
            for (const QString &n : o.names())
                line += (n.size() == 1 ? QStringLiteral(" -s ") : QStringLiteral(" -l ")) + n;
            if (!o.valueName().isEmpty()) {
                const QStringList values = choices(o.valueName());
                if (values == QStringList{kFileValues})
                    line += QStringLiteral(" -r -F");
                else if (!values.isEmpty())
                    line += QStringLiteral(" -x -a %1").arg(singleQuoted(values.join(QLatin1Char(' '))));
                else
                    line += QStringLiteral(" -x");
            }
            s += line + QStringLiteral(" -d %1\n").arg(singleQuoted(firstSentence(o.description())));
        }
        if (c.name == QLatin1String("completion"))
            s += QStringLiteral("complete -c glintag -n %1 -a %2\n")
                     .arg(when, singleQuoted(completionShells().join(QLatin1Char(' '))));
    }
    return s;
}

} // namespace

QStringList completionShells()
{
    return {QStringLiteral("bash"), QStringLiteral("zsh"), QStringLiteral("fish")};
}

QString completionScript(const QString &shell, const QList<CommandTable> &commands, const ValueChoices &choices)
{
    if (shell == QLatin1String("bash"))
        return bashScript(commands, choices);
    if (shell == QLatin1String("zsh"))
        return zshScript(commands, choices);
    if (shell == QLatin1String("fish"))
        return fishScript(commands, choices);
    return {};
}

} // namespace glintag
