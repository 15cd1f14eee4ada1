// libFuzzer entry point for the picture loader: arbitrary bytes, written to
// a file, must either load onto the canvas or be refused with a reason,
// never crash, and never cost more memory than the loader's bound allows
// (run with -rss_limit_mb=512). A refused file leaves the canvas as it was.
#include "files/picturefile.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    static const QString path = dir.filePath(QStringLiteral("input.pic"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
            || file.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
            std::abort();
    }
    QImage canvas = glintag::makeBlankCanvas();
    canvas.fill(0xFF102030u);
    const QImage before = canvas;
    QString reason;
    if (glintag::loadPictureOntoCanvas(path, canvas, &reason)) {
        if (canvas.size() != QSize(glintag::kCanvasWidth, glintag::kCanvasHeight))
            std::abort();
    } else if (reason.isEmpty() || canvas != before) {
        std::abort();
    }
    return 0;
}
