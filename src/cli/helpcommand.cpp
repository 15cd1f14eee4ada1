#include "cli/commands.h"

#include "cli/command.h"
#include "cli/commandline.h"

#include <cstdio>

namespace glintag {

namespace {

const char kUsage[] = "Usage: glintag [COMMAND [OPTIONS] [TEXT...]]\n"
                      "Programs an LED name badge. Without a command, opens the window.\n"
                      "\n"
                      "Commands:\n"
                      "  send     Send texts, pictures or the saved settings to the badge.\n"
                      "  preview  Write the dots that would be sent as a PNG picture, or the\n"
                      "           badge face as an animated GIF.\n"
                      "  ports    List the port names the window offers, with their devices.\n"
                      "  completion SHELL\n"
                      "           Print the completion script for bash, zsh or fish.\n"
                      "  watch    Keep sending as the content changes: the time, a command's\n"
                      "           output, or lines from standard input.\n"
                      "  serve    Keep the badges and take texts and setups over HTTP.\n"
                      "\n"
                      "Options:\n"
                      "  -h, --help     Show this help; 'glintag help COMMAND' or\n"
                      "                 'glintag COMMAND --help' for a command.\n"
                      "  -v, --version  Show the version.\n";

} // namespace

int runHelp(const QStringList &, const QString &)
{
    std::fputs(qPrintable(wrapHelp(QString::fromLatin1(kUsage), helpWidth())), stdout);
    return kExitSent;
}

} // namespace glintag
