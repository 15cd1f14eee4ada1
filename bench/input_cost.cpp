// Peak memory and time of reading unusual input: settings files of 10 MB in
// several shapes and encodings, and forged or large picture files. Peak
// memory needs a fresh process per measurement, so this program does one
// thing per run; bench/input_cost.sh makes the files and runs every case.
//
//   input_cost make DIR          writes the files into DIR
//   input_cost settings FILE     loads FILE as the settings, as at start-up
//   input_cost save FILE         saves the settings into FILE, as at close
//   input_cost picture FILE      loads FILE onto a slot's canvas
//
// Each measurement prints its wall time and how far the process's peak
// resident size rose above its resident size just before (in MB).
#include "badge/badgesetup.h"
#include "files/picturefile.h"
#include "files/profilefile.h"
#include "settings/settings.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImageWriter>
#include <QStringEncoder>

#include <cstdio>
#include <cstring>
#include <sys/resource.h>

namespace {

double residentMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    }
    return 0;
}

double peakMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0; // kilobytes on Linux
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray jpeg(const QImage &img, bool progressive)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QImageWriter writer(&buffer, "JPEG");
    writer.setProgressiveScanWrite(progressive);
    writer.write(img);
    return bytes;
}

// A small JPEG whose frame header claims w x h pixels.
QByteArray forgedJpeg(bool progressive, int w, int h)
{
    QImage img(64, 24, QImage::Format_RGB32);
    img.fill(Qt::white);
    QByteArray bytes = jpeg(img, progressive);
    const int at = bytes.indexOf(progressive ? "\xFF\xC2" : "\xFF\xC0");
    return bytes.replace(at + 5, 4, QByteArray(1, char(h >> 8)) + char(h) + char(w >> 8) + char(w));
}

quint32 crc32(const QByteArray &bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

QByteArray be32(quint32 v)
{
    return QByteArray(1, char(v >> 24)) + char(v >> 16) + char(v >> 8) + char(v);
}

// An icon whose one entry is a PNG (as Windows Vista icons are); with a
// forged size the PNG's header claims w x h pixels, its checksum mended.
QByteArray pngIcon(int side, bool forged)
{
    QImage img(forged ? 16 : side, forged ? 16 : side, QImage::Format_ARGB32);
    img.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, "PNG");
    if (forged) {
        png.replace(16, 8, be32(quint32(side)) + be32(quint32(side)));
        png.replace(29, 4, be32(crc32(png.mid(12, 17)))); // over "IHDR" and its 13 bytes
    }
    QByteArray ico = QByteArray::fromHex("000001000100") + QByteArray::fromHex("0000000001002000");
    const quint32 fields[] = {quint32(png.size()), 22};
    ico.append(reinterpret_cast<const char *>(fields), 8); // little-endian hosts only
    return ico + png;
}

int make(const QString &dir)
{
    const qsizetype tenMb = 10 * 1024 * 1024;
    QByteArray sections, keys;
    for (int i = 0; sections.size() < tenMb; ++i)
        sections += "[S" + QByteArray::number(i) + "]\n";
    keys = "[Message1]\n";
    while (keys.size() < tenMb)
        keys += "k=1\n";
    QByteArray program; // a file like the program's own, repeated
    for (int n = 1; n <= 16; ++n)
        program += "[Message" + QByteArray::number(n) + "]\r\nMessage" + QByteArray::number(n)
            + "Text=\xE3\x83\x86\xE3\x82\xAD\xE3\x82\xB9\xE3\x83\x88\r\nSelect=1\r\nSpeed=3\r\n";
    QString utf16Text;
    while (utf16Text.size() * 2 < tenMb)
        utf16Text += QString::fromUtf8(program);
    const QByteArray utf16 = QStringEncoder(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom).encode(utf16Text);

    QImage gray(8000, 8000, QImage::Format_Grayscale8); // a large picture that does load
    gray.fill(200);
    QImage wide(3500, 3400, QImage::Format_RGB32); // just under the full-decode bound
    wide.fill(Qt::red);

    const struct {
        const char *name;
        QByteArray bytes;
    } files[] = {
        {"blank-lines.ini", QByteArray(tenMb, '\n')},
        {"cr-only.ini", QByteArray(tenMb, '\r')},
        {"sections.ini", sections},
        {"keys.ini", keys},
        {"utf16.ini", utf16},
        {"forged-progressive-20000.jpg", forgedJpeg(true, 20000, 20000)},
        {"forged-progressive-30000.jpg", forgedJpeg(true, 30000, 30000)},
        {"forged-baseline-30000.jpg", forgedJpeg(false, 30000, 30000)},
        {"progressive-3000.jpg", jpeg(QImage(3000, 3000, QImage::Format_RGB32), true)},
        {"baseline-8000-gray.jpg", jpeg(gray, false)},
        {"forged-png-30000.ico", pngIcon(30000, true)},
        {"png-3000.ico", pngIcon(3000, false)},
        {"wide-3500x3400.bmp",
         [&] {
             QByteArray b;
             QBuffer buf(&b);
             buf.open(QIODevice::WriteOnly);
             wide.save(&buf, "BMP");
             return b;
         }()},
    };
    for (const auto &f : files) {
        if (!writeFile(QDir(dir).filePath(QLatin1String(f.name)), f.bytes)) {
            std::fprintf(stderr, "cannot write %s\n", f.name);
            return 1;
        }
    }
    // A BMP header claiming 100,000 x 100,000 pixels in 1 KB.
    QByteArray bmp(1024, '\0');
    bmp.replace(0, 2, "BM");
    const quint32 fields[] = {1024, 0, 54, 40, 100000, 100000};
    for (int i = 0; i < 6; ++i)
        std::memcpy(bmp.data() + 2 + 4 * i, &fields[i], 4);
    bmp[26] = 1, bmp[28] = 24;
    return writeFile(QDir(dir).filePath("forged-100000.bmp"), bmp) ? 0 : 1;
}

void report(const char *what, double ms, double before)
{
    std::printf("%-10s %9.1f ms   peak +%7.1f MB\n", what, ms, peakMb() - before);
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: input_cost make DIR | settings FILE | save FILE | picture FILE\n");
        return 2;
    }
    const QString mode = QString::fromLocal8Bit(argv[1]);
    const QString path = QString::fromLocal8Bit(argv[2]);
    if (mode == QLatin1String("make"))
        return make(path);

    QElapsedTimer clock;
    if (mode == QLatin1String("settings")) {
        const double before = residentMb();
        clock.start();
        const glintag::BadgeSetup setup = glintag::loadSettingsFile(path);
        report("load", clock.nsecsElapsed() / 1e6, before);
        return setup.language == 0 ? 0 : 1;
    }
    if (mode == QLatin1String("save")) {
        const double before = residentMb();
        clock.start();
        QString reason;
        const bool saved = glintag::saveSettingsFile(path, glintag::defaultBadgeSetup(), &reason);
        report(saved ? "save" : "save fail", clock.nsecsElapsed() / 1e6, before);
        return saved ? 0 : 1;
    }
    if (mode == QLatin1String("picture")) {
        QImage canvas = glintag::makeBlankCanvas();
        // Decoder plugins are loaded by a small picture first, so only the
        // file itself is counted.
        QByteArray warm = jpeg(QImage(8, 8, QImage::Format_RGB32), false);
        const QString warmPath = path + QStringLiteral(".warm.jpg");
        writeFile(warmPath, warm);
        glintag::loadPictureOntoCanvas(warmPath, canvas);
        QFile::remove(warmPath);
        const double before = residentMb();
        QString reason;
        clock.start();
        const bool loaded = glintag::loadPictureOntoCanvas(path, canvas, &reason);
        report(loaded ? "loaded" : "refused", clock.nsecsElapsed() / 1e6, before);
        if (!loaded)
            std::printf("           %s\n", qPrintable(reason));
        return 0;
    }
    std::fprintf(stderr, "unknown mode\n");
    return 2;
}
