#include "cli/commandoptions.h"

#include "cli/badgearguments.h"
#include "net/httpapi.h"
#include "sending/watchloop.h"

namespace glintag {

namespace {

// send and preview refuse to pour bytes onto a terminal unless told to.
QCommandLineOption forceOption()
{
    return {QStringLiteral("force"), QStringLiteral("Write to standard output even when it is a terminal.")};
}

// Every command that reaches badges names them the same way.
QCommandLineOption portOption()
{
    return {QStringLiteral("port"),
            QStringLiteral("Port name as the window shows it (COM1 to COM32) or a device path; more than once for "
                           "several badges. Default: the port the window chooses at start-up."),
            QStringLiteral("NAME")};
}

// The commands that keep running and upload again and again.
QCommandLineOption quietPerUploadOption()
{
    return {{QStringLiteral("q"), QStringLiteral("quiet")},
            QStringLiteral("Print no line per upload; problems are still told.")};
}

QList<QCommandLineOption> sendOptions()
{
    QList<QCommandLineOption> options = badgeOptions();
    options += {
        portOption(),
        {{QStringLiteral("o"), QStringLiteral("output")},
         QStringLiteral("Write the byte stream to FILE ('-' for standard output) instead of a port."),
         QStringLiteral("FILE")},
        forceOption(),
        {{QStringLiteral("q"), QStringLiteral("quiet")}, QStringLiteral("Show no progress.")},
    };
    return options;
}

QList<QCommandLineOption> previewOptions()
{
    QList<QCommandLineOption> options = badgeOptions();
    options += {
        {QStringLiteral("png"),
         QStringLiteral("The PNG file to write ('-' for standard output); this or --gif is required."),
         QStringLiteral("FILE")},
        {QStringLiteral("gif"),
         QStringLiteral("The animated GIF to write ('-' for standard output): the badge face playing one full round "
                        "at its own timing."),
         QStringLiteral("FILE")},
        {QStringLiteral("scale"),
         QStringLiteral("Pixels per dot, 1 to 8: 1 gives one white pixel per lit dot on black; "
                        "larger gives round lamps. Default: 6."),
         QStringLiteral("N")},
        forceOption(),
    };
    return options;
}

QList<QCommandLineOption> portsOptions()
{
    return {
        {QStringLiteral("settings"), QStringLiteral("Read the \"Ports\" section of this settings file."),
         QStringLiteral("FILE")},
        {QStringLiteral("json"),
         QStringLiteral("Print every port name that has a device as JSON: name, device, whether it opens, "
                        "and the reason when it does not.")},
    };
}

QList<QCommandLineOption> watchOptions()
{
    QList<QCommandLineOption> options = badgeOptions();
    options += {
        portOption(),
        {QStringLiteral("every"),
         QStringLiteral("Look at the content every SECONDS (1 to 86400). Default: %1.").arg(kWatchEverySeconds),
         QStringLiteral("SECONDS")},
        {QStringLiteral("exec"),
         QStringLiteral("Take the slots' texts from the output of COMMAND (run by /bin/sh at each look), "
                        "one line per slot."),
         QStringLiteral("COMMAND")},
        {QStringLiteral("exec-timeout"),
         QStringLiteral("Seconds COMMAND may run before it counts as failed (1 to 3600). Default: %1.")
             .arg(kWatchCommandTimeoutSeconds),
         QStringLiteral("SECONDS")},
        quietPerUploadOption(),
    };
    return options;
}

QList<QCommandLineOption> serveOptions()
{
    QList<QCommandLineOption> options = badgeOptions();
    options += {
        portOption(),
        {QStringLiteral("listen"),
         QStringLiteral("Where the HTTP API and the page listen, ADDRESS:PORT (port 0: any free one). "
                        "Default: %1. An address beyond this machine needs --token.")
             .arg(QLatin1String(kDefaultListen)),
         QStringLiteral("ADDR:PORT")},
        {QStringLiteral("token"),
         QStringLiteral("Every API call must carry the first line of FILE as 'Authorization: Bearer TOKEN'."),
         QStringLiteral("FILE")},
        {QStringLiteral("mqtt"),
         QStringLiteral("Also take texts, setups and notifications from this MQTT broker (port 1883, 8883 with "
                        "--mqtt-cafile)."),
         QStringLiteral("HOST[:PORT]")},
        {QStringLiteral("topic"),
         QStringLiteral("The badge's topics start with PREFIX: PREFIX/text/set, PREFIX/setup/set, PREFIX/notify, "
                        "PREFIX/status, PREFIX/availability. Default: glintag/ and this machine's name."),
         QStringLiteral("PREFIX")},
        {QStringLiteral("group"),
         QStringLiteral("Also listen on TOPIC/text/set, TOPIC/setup/set and TOPIC/notify, shared by several "
                        "badges; more than once for several groups."),
         QStringLiteral("TOPIC")},
        {QStringLiteral("mqtt-user"), QStringLiteral("The broker's user name."), QStringLiteral("NAME")},
        {QStringLiteral("mqtt-password-file"), QStringLiteral("The broker's password: the first line of FILE."),
         QStringLiteral("FILE")},
        {QStringLiteral("mqtt-cafile"), QStringLiteral("Speak TLS to the broker, trusting the CA certificates in FILE."),
         QStringLiteral("FILE")},
        {QStringLiteral("ha-discovery"),
         QStringLiteral("Announce a text entity and a status sensor for home automation's MQTT discovery.")},
        quietPerUploadOption(),
    };
    return options;
}

} // namespace

QList<CommandTable> commandTable()
{
    return {
        {QStringLiteral("send"),
         QStringLiteral("Sends each TEXT to the next slot from slot 1 (and each --picture in its place), "
                        "or without TEXT what the window would send for the settings file. "
                        "A TEXT of '-' reads one slot's text per line from standard input."),
         true,
         sendOptions(),
         {QStringLiteral("picture"), QStringLiteral("port")}},
        {QStringLiteral("preview"),
         QStringLiteral("Writes the dots of every selected slot as a PNG picture, one strip per slot, "
                        "exactly as they would be sent (--png), or the badge face playing them as an animated "
                        "GIF (--gif)."),
         true,
         previewOptions(),
         {QStringLiteral("picture")}},
        {QStringLiteral("ports"),
         QStringLiteral("Lists the port names the window would offer (those that open now), each with its "
                        "device; the window's start-up choice is marked with '*'."),
         false, portsOptions()},
        {QStringLiteral("completion"),
         QStringLiteral("Prints the completion script for SHELL: bash, zsh or fish."),
         false,
         {}},
        {QStringLiteral("watch"),
         QStringLiteral("Keeps the badge up to date: looks at the content every few seconds and sends it "
                        "whenever its bytes change. TEXT may hold {time:FORMAT} and {date:FORMAT} fields "
                        "(strftime, local time); a TEXT of '-' takes lines from standard input as they come, "
                        "an empty line ending each group of slots. Stops on Ctrl+C, SIGTERM or SIGHUP."),
         true,
         watchOptions(),
         {QStringLiteral("picture"), QStringLiteral("port")}},
        {QStringLiteral("serve"),
         QStringLiteral("Keeps the badges and a setup (the settings file's, or TEXT and options as send takes "
                        "them) and takes changes over HTTP: a JSON API and a page for a phone or a desk. "
                        "Stops on Ctrl+C, SIGTERM or SIGHUP."),
         true,
         serveOptions(),
         {QStringLiteral("picture"), QStringLiteral("port"), QStringLiteral("group")}},
    };
}

QStringList valueChoices(const QString &valueName)
{
    if (valueName == QLatin1String("FILE"))
        return {kFileValues};
    // --port: the names `glintag ports` lists.
    if (valueName == QLatin1String("NAME"))
        return {kPortValues};
    return badgeValueChoices(valueName);
}

} // namespace glintag
