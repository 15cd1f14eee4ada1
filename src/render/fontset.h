#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>

namespace glintag {

constexpr int kAsciiRecordBytes = 12;
constexpr int kAsciiFileBytes = 256 * kAsciiRecordBytes; // 3,072
constexpr int kDoubleRecordBytes = 24;
constexpr int kDoubleLeadCount = 126;                                     // 0x81..0xFE
constexpr int kDoubleTrailCount = 191;                                    // 0x40..0xFE
constexpr int kDoubleRecordCount = kDoubleLeadCount * kDoubleTrailCount;  // 24,066
constexpr int kDoubleFileBytes = kDoubleRecordCount * kDoubleRecordBytes; // 577,584

// Byte offset of a glyph record; -1 for a double-byte code outside the table.
inline int asciiRecordOffset(int code)
{
    return kAsciiRecordBytes * (code & 0xFF);
}
int doubleRecordOffset(std::uint16_t code);

// Where an installed program's data lies, relative to its program folder.
constexpr const char *kInstalledDataFolder = "../share/glintag";

// Folders searched for a font file, in order: the current working folder,
// the program's folder (when given and different), then the installed data
// folder beside it. An empty programDir leaves only the working folder.
QStringList fontFolders(const QString &programDir);

// The single-byte font file, the same for every language.
inline QString asciiFontName()
{
    return QStringLiteral("ASC12");
}

// Upright double-byte font file of an interface language ("HzK12" for 0, 4
// and anything unknown); the vertical file is the same name with "V".
QString doubleByteFontName(int uiLanguage);

// The three font files one rendering run reads: "ASC12", the language's
// upright double-byte file and its vertical twin, each looked up along
// fontFolders() and taken from the first folder that has it. A missing file
// draws blank and nothing is created; a short file reads as zeros past its
// end. File contents are kept between runs and re-read when a file changes
// (size, modification time or identity), so every run sees what a fresh read
// would see.
class FontSet {
public:
    FontSet(int uiLanguage, const QString &programDir);
    ~FontSet();
    FontSet(FontSet &&) noexcept;

    // 12 row bytes, top row first, bit 7 the leftmost dot.
    const std::uint8_t *asciiGlyph(std::uint8_t code) const;
    // 24 bytes: per row a big-endian word, bit 15 the leftmost dot.
    const std::uint8_t *doubleGlyph(std::uint16_t code, bool vertical) const;

    // Path each file was found at (empty when missing); for tests and notes.
    QString asciiPath() const;
    QString uprightPath() const;
    QString verticalPath() const;

    // Where the files were looked for, in order, and the names of those
    // found in none of these folders.
    QStringList folders() const { return m_folders; }
    QStringList missingFiles() const;

    struct File;

private:
    QStringList m_folders;
    std::shared_ptr<const File> m_ascii, m_upright, m_vertical;
};

} // namespace glintag
