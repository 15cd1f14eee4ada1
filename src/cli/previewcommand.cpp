#include "cli/commands.h"

#include "cli/command.h"
#include "cli/commandline.h"
#include "cli/interruptwatch.h"
#include "cli/outputtarget.h"
#include "cli/slotsources.h"
#include "preview/facegif.h"
#include "preview/previewimage.h"
#include "sending/sendjob.h"

#include <QBuffer>

#include <algorithm>

namespace glintag {

int runPreview(const QStringList &all, const QString &programDir)
{
    Command c(QStringLiteral("preview"), all);
    int exitCode = kExitSent;
    if (!c.parse(&exitCode))
        return exitCode;
    if (!c.parser.isSet(QStringLiteral("png")) && !c.parser.isSet(QStringLiteral("gif"))) {
        printError(QStringLiteral("preview: --png FILE or --gif FILE is required"));
        return kExitBadArguments;
    }
    const bool toPng = c.parser.isSet(QStringLiteral("png"));
    if (toPng && !checkOutputTarget(c, QStringLiteral("png")))
        return kExitBadArguments;
    const bool toGif = c.parser.isSet(QStringLiteral("gif"));
    if (toGif && !checkOutputTarget(c, QStringLiteral("gif")))
        return kExitBadArguments;
    if (toPng && toGif && c.parser.value(QStringLiteral("png")) == QLatin1String("-")
        && c.parser.value(QStringLiteral("gif")) == QLatin1String("-")) {
        printError(QStringLiteral("preview: --png - and --gif -: standard output takes only one of them"));
        return kExitBadArguments;
    }
    int scale = 6;
    if (c.parser.isSet(QStringLiteral("scale"))) {
        bool ok = false;
        const QString v = c.parser.value(QStringLiteral("scale"));
        scale = v.toInt(&ok);
        if (!ok || scale < 1 || scale > 8) {
            printError(QStringLiteral("preview: --scale %1: allowed 1 to 8").arg(v));
            return kExitBadArguments;
        }
    }
    // A signal while standard input, a settings pipe or an output FIFO is
    // waited for ends the run as Ctrl+C ends a send.
    InterruptWatch interrupts;
    SendJob job;
    const auto line = renderFromLine(c, programDir, job, &exitCode);
    if (!line)
        return InterruptWatch::interrupted() ? InterruptWatch::exitCode() : exitCode;
    QList<int> selected;
    for (int i = 0; i < kSlotCount; ++i)
        if (line->setup.slots[i].select)
            selected << i;
    const UploadSnapshot &sent = job.snapshot();
    if (toGif) {
        const QString gif = c.parser.value(QStringLiteral("gif"));
        QString why;
        // A GIF lamp needs two pixels to be round at all.
        const auto bytes = faceGif(faceRound(line->setup, sent.rendering), std::max(scale, 2), &why);
        if (!bytes) {
            printError(QStringLiteral("preview: --gif %1: %2").arg(gif, why));
            return kExitLineFailed;
        }
        const int written = writeOutput(c.name, QStringLiteral("gif"), gif, *bytes);
        if (written != kExitSent || !toPng)
            return written;
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!previewImage(sent.rendering.dots, sent.rendering.sent, selected, scale).save(&buffer, "PNG")) {
        printError(QStringLiteral("preview: the PNG picture cannot be made"));
        return kExitLineFailed;
    }
    return writeOutput(c.name, QStringLiteral("png"), c.parser.value(QStringLiteral("png")), png);
}

} // namespace glintag
