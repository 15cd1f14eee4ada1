#include "cli/completions.h"

#include <QMap>

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

// An option's values as the scripts offer them: file names, the ports the
// program lists, fixed words, or any mix of files and words.
struct Values {
    bool files = false;
    bool ports = false;
    QStringList words;
};

Values valuesOf(const QStringList &choices)
{
    Values v;
    for (const QString &c : choices) {
        if (c == kFileValues)
            v.files = true;
        else if (c == kPortValues)
            v.ports = true;
        else
            v.words << c;
    }
    return v;
}

// The picture option's fixed words that carry a colon: bash splits a word
// at a colon, so those are completed from the line itself.
QStringList colonWords(const QList<CommandTable> &commands, const ValueChoices &choices, QStringList *options)
{
    QStringList words;
    for (const CommandTable &c : commands)
        for (const QCommandLineOption &o : c.options) {
            if (o.valueName().isEmpty())
                continue;
            bool any = false;
            for (const QString &w : valuesOf(choices(o.valueName())).words)
                if (w.contains(QLatin1Char(':'))) {
                    any = true;
                    if (!words.contains(w))
                        words << w;
                }
            if (any)
                for (const QString &n : o.names())
                    if (!options->contains(dashed(n)))
                        *options << dashed(n);
        }
    return words;
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
    QStringList colonOptions;
    const QStringList withColon = colonWords(commands, choices, &colonOptions);
    // Everything up to the colon is the same for every such word
    // ("icon:"): bash completes only what follows it.
    const QString colonPrefix = withColon.isEmpty() ? QString() : withColon.first().section(QLatin1Char(':'), 0, 0);
    QStringList afterColon;
    for (const QString &w : withColon)
        if (w.section(QLatin1Char(':'), 0, 0) == colonPrefix)
            afterColon << w.section(QLatin1Char(':'), 1);

    QString s = QStringLiteral("# bash completion for glintag\n"
                               "# The port names the program itself lists, read when Tab is pressed.\n"
                               "_glintag_ports()\n"
                               "{\n"
                               "    local glintag=${COMP_WORDS[0]/#\\~/$HOME} i settings=()\n"
                               "    for ((i = 2; i < COMP_CWORD; i++)); do\n"
                               "        [ \"${COMP_WORDS[i]}\" = --settings ] && settings=(--settings \"${COMP_WORDS[i+1]}\")\n"
                               "    done\n"
                               "    \"$glintag\" ports \"${settings[@]}\" 2>/dev/null | while IFS=$'\\t' read -r name _; do\n"
                               "        printf '%s\\n' \"$name\"\n"
                               "    done\n"
                               "}\n"
                               "_glintag()\n"
                               "{\n"
                               "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n"
                               "    local commands='%1'\n"
                               "    if [ \"$COMP_CWORD\" -eq 1 ]; then\n"
                               "        COMPREPLY=($(compgen -W \"$commands help --help --version\" -- \"$cur\"))\n"
                               "        return\n"
                               "    fi\n"
                               "    if [ \"${COMP_WORDS[1]}\" = help ]; then\n"
                               "        [ \"$COMP_CWORD\" -eq 2 ] && COMPREPLY=($(compgen -W \"$commands\" -- \"$cur\"))\n"
                               "        return\n"
                               "    fi\n")
                    .arg(names.join(QLatin1Char(' ')));
    if (!withColon.isEmpty()) {
        s += QStringLiteral("    # bash splits a word at a colon, so a value such as %1:NAME is read\n"
                            "    # from the line, and only what follows the colon is completed.\n"
                            "    local line=${COMP_LINE:0:COMP_POINT}\n"
                            "    local word=${line##*[[:space:]]}\n"
                            "    local before=${line%\"$word\"}\n"
                            "    before=${before%\"${before##*[![:space:]]}\"}\n"
                            "    case ${before##*[[:space:]]}:$word in\n"
                            "    %2)\n"
                            "        local name\n"
                            "        COMPREPLY=()\n"
                            "        for name in $(compgen -W '%3' -- \"${word#%1:}\"); do\n"
                            "            [[ $COMP_WORDBREAKS == *:* ]] || name=%1:$name\n"
                            "            COMPREPLY+=(\"$name\")\n"
                            "        done\n"
                            "        return ;;\n"
                            "    esac\n")
                 .arg(colonPrefix,
                      [&] {
                          QStringList patterns;
                          for (const QString &o : colonOptions)
                              patterns << o + QLatin1Char(':') + colonPrefix + QStringLiteral(":*");
                          return patterns.join(QLatin1Char('|'));
                      }(),
                      afterColon.join(QLatin1Char(' ')));
    }
    s += QStringLiteral("    case ${COMP_WORDS[1]} in\n");
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
            const Values values = valuesOf(choices(o.valueName()));
            QString action;
            const QString words = values.words.isEmpty()
                ? QString()
                : QStringLiteral(" $(compgen -W '%1' -- \"$cur\")").arg(values.words.join(QLatin1Char(' ')));
            if (values.files)
                action = QStringLiteral("compopt -o filenames; COMPREPLY=($(compgen -f -- \"$cur\")%1)").arg(words);
            else if (values.ports)
                action = QStringLiteral("COMPREPLY=($(compgen -W \"$(_glintag_ports)\" -- \"$cur\"))");
            else if (!values.words.isEmpty())
                action = QStringLiteral("COMPREPLY=(%1)").arg(words.mid(1));
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
                               "# The port names the program itself lists, read when Tab is pressed.\n"
                               "_glintag_ports() {\n"
                               "    local -a ports settings\n"
                               "    local i=${words[(I)--settings]}\n"
                               "    (( i )) && settings=(--settings ${(Q)words[i+1]})\n"
                               "    ports=(${${(f)\"$(${~glintag_program} ports $settings 2>/dev/null)\"}%%$'\\t'*})\n"
                               "    compadd -a ports\n"
                               "}\n"
                               "_glintag() {\n"
                               "    local glintag_program=$words[1]\n"
                               "    local -a commands=(\n");
    QMap<QString, QString> helpers; // function name → definition
    for (const CommandTable &c : commands)
        s += QStringLiteral("        %1\n").arg(singleQuoted(c.name + QLatin1Char(':') + zshText(c.summary)));
    s += QStringLiteral("    )\n"
                        "    if (( CURRENT == 2 )); then\n"
                        "        _describe -t commands command commands\n"
                        "        _arguments '--help[Show the help]' '--version[Show the version]'\n"
                        "        return\n"
                        "    fi\n"
                        "    local command=$words[2]\n"
                        "    shift words\n"
                        "    (( CURRENT-- ))\n"
                        "    case $command in\n"
                        "    help)\n"
                        "        (( CURRENT == 2 )) && _describe -t commands command commands ;;\n");
    for (const CommandTable &c : commands) {
        s += QStringLiteral("    %1)\n        _arguments -s \\\n").arg(c.name);
        for (const QCommandLineOption &o : withStandardOptions(c)) {
            QString value;
            if (!o.valueName().isEmpty()) {
                const Values values = valuesOf(choices(o.valueName()));
                QString action;
                if (values.files && !values.words.isEmpty()) {
                    // A function of its own: in an _arguments option a colon
                    // would start another argument.
                    action = QStringLiteral("_glintag_") + o.valueName().toLower();
                    helpers.insert(action,
                                   QStringLiteral("%1() {\n"
                                                  "    _alternative 'files:file:_files' 'words:%2:compadd -- %3'\n"
                                                  "}\n")
                                       .arg(action, o.valueName().toLower(), values.words.join(QLatin1Char(' '))));
                } else if (values.files) {
                    action = QStringLiteral("_files");
                } else if (values.ports) {
                    action = QStringLiteral("_glintag_ports");
                } else if (!values.words.isEmpty()) {
                    action = QStringLiteral("(%1)").arg(values.words.join(QLatin1Char(' ')));
                } else {
                    action = QStringLiteral(" ");
                }
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
                        "}\n");
    for (const QString &definition : std::as_const(helpers))
        s += definition;
    s += QStringLiteral("_glintag \"$@\"\n");
    return s;
}

QString fishScript(const QList<CommandTable> &commands, const ValueChoices &choices)
{
    QStringList names;
    for (const CommandTable &c : commands)
        names << c.name;
    QString s = QStringLiteral("# fish completion for glintag\n"
                               "# The port names the program itself lists, read when Tab is pressed.\n"
                               "function __glintag_ports\n"
                               "    set -l words (commandline -opc)\n"
                               "    set -l settings\n"
                               "    if set -l i (contains -i -- --settings $words)\n"
                               "        set settings --settings $words[(math $i + 1)]\n"
                               "    end\n"
                               "    $words[1] ports $settings 2>/dev/null | string replace -r '\\t.*' ''\n"
                               "end\n"
                               "complete -c glintag -f\n"
                               "complete -c glintag -n __fish_use_subcommand -l help -d 'Show the help'\n"
                               "complete -c glintag -n __fish_use_subcommand -l version -d 'Show the version'\n");
    for (const CommandTable &c : commands)
        s += QStringLiteral("complete -c glintag -n __fish_use_subcommand -a %1 -d %2\n")
                 .arg(c.name, singleQuoted(firstSentence(c.summary)));
    // "glintag help COMMAND": the commands once more, right after "help".
    s += QStringLiteral("complete -c glintag -n '__fish_seen_subcommand_from help; and test (count (commandline "
                        "-opc)) -eq 2' -a %1\n")
             .arg(singleQuoted(names.join(QLatin1Char(' '))));
    for (const CommandTable &c : commands) {
        const QString when = singleQuoted(QStringLiteral("__fish_seen_subcommand_from ") + c.name);
        for (const QCommandLineOption &o : withStandardOptions(c)) {
            QString line = QStringLiteral("complete -c glintag -n %1").arg(when);
            for (const QString &n : o.names())
                line += (n.size() == 1 ? QStringLiteral(" -s ") : QStringLiteral(" -l ")) + n;
            if (!o.valueName().isEmpty()) {
                const Values values = valuesOf(choices(o.valueName()));
                if (values.files)
                    line += QStringLiteral(" -r -F");
                else
                    line += QStringLiteral(" -x");
                if (values.ports)
                    line += QStringLiteral(" -a '(__glintag_ports)'");
                else if (!values.words.isEmpty())
                    line += QStringLiteral(" -a %1").arg(singleQuoted(values.words.join(QLatin1Char(' '))));
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
