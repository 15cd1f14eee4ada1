// libFuzzer entry point for the settings file reader: arbitrary bytes must
// parse, answer lookups, accept writes and serialise without a fault, and
// what is written must read back.
#include "settings/profilefile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using glintag::ProfileFile;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    ProfileFile file = ProfileFile::fromBytes(bytes);

    file.readString(QStringLiteral("Message1"), QStringLiteral("Message1Text"), QStringLiteral("MESSAGE1"));
    file.readInt(QStringLiteral("Message1"), QStringLiteral("Speed"), 3);
    file.readInt(QStringLiteral("Alternate"), QStringLiteral("AlternateMsgNum"), 0);
    file.sectionEntries(QStringLiteral("Ports"));

    // Use the input's own tail as a value so writes see awkward bytes too.
    const QString value = QString::fromUtf8(bytes.right(40));
    file.writeString(QStringLiteral("Message2"), QStringLiteral("Message2Text"), value);
    file.writeInt(QStringLiteral("Language"), QStringLiteral("Language"), -1);

    const ProfileFile back = ProfileFile::fromBytes(file.toBytes());
    if (back.readInt(QStringLiteral("Language"), QStringLiteral("Language"), 7) != -1)
        std::abort();
    const QString text = back.readString(QStringLiteral("Message2"), QStringLiteral("Message2Text"), {});
    QString expected = value;
    expected.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (text != expected)
        std::abort();
    return 0;
}
