// libFuzzer entry point for the settings file reader: arbitrary bytes must
// parse, answer lookups, accept writes and serialise without a fault; a file
// the program has not edited must come back byte for byte, and what is
// written must read back in the file's own encoding.
//
// The first input byte picks the form the rest is handed over in: as is
// (UTF-8, legacy bytes, any line ends), or as UTF-16 LE or BE text behind a
// byte-order mark, so the UTF-16 reader sees the same syntax.
#include "files/profilefile.h"

#include <QStringEncoder>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using glintag::ProfileFile;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray rest(reinterpret_cast<const char *>(data + 1), static_cast<qsizetype>(size - 1));
    QByteArray bytes = rest;
    if (data[0] % 3 == 1)
        bytes = QStringEncoder(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom).encode(QString::fromUtf8(rest));
    else if (data[0] % 3 == 2)
        bytes = QStringEncoder(QStringEncoder::Utf16BE, QStringEncoder::Flag::WriteBom).encode(QString::fromUtf8(rest));

    ProfileFile file = ProfileFile::fromBytes(bytes);
    const bool utf16
        = file.encoding() == ProfileFile::Encoding::Utf16Le || file.encoding() == ProfileFile::Encoding::Utf16Be;
    if (!utf16 && file.toBytes() != bytes)
        std::abort(); // nothing edited: nothing may change

    file.readString(QStringLiteral("Message1"), QStringLiteral("Message1Text"), QStringLiteral("MESSAGE1"));
    file.readInt(QStringLiteral("Message1"), QStringLiteral("Speed"), 3);
    file.readInt(QStringLiteral("Alternate"), QStringLiteral("AlternateMsgNum"), 0);
    file.sectionEntries(QStringLiteral("Ports"));

    // Use the input's own tail as a value so writes see awkward bytes too.
    const QString value = QString::fromUtf8(rest.right(40));
    file.writeString(QStringLiteral("Message2"), QStringLiteral("Message2Text"), value);
    file.writeInt(QStringLiteral("Language"), QStringLiteral("Language"), -1);
    file.writeInt(QStringLiteral("Message1"), QStringLiteral("Speed"), 5);

    const QByteArray written = file.toBytes();
    const ProfileFile back = ProfileFile::fromBytes(written);
    if (back.encoding() != file.encoding())
        std::abort();
    // A file without line ends yet takes them from the program's default.
    if (back.lineEnding() != file.lineEnding() && bytes.contains('\n') + bytes.contains('\r') != 0)
        std::abort();
    if (back.readInt(QStringLiteral("Language"), QStringLiteral("Language"), 7) != -1
        || back.readInt(QStringLiteral("Message1"), QStringLiteral("Speed"), 7) != 5)
        std::abort();
    const QString text = back.readString(QStringLiteral("Message2"), QStringLiteral("Message2Text"), {});
    QString expected = value;
    expected.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (text != expected)
        std::abort();
    return 0;
}
