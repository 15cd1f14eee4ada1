#pragma once

#include "render/fontset.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Runs a test in an empty working folder with a separate "program folder",
// and writes small font files whose glyphs the test chooses.
class FontFolders : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_work.isValid());
        ASSERT_TRUE(m_program.isValid());
        m_oldCwd = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(m_work.path()));
    }
    void TearDown() override { QDir::setCurrent(m_oldCwd); }

    QString workDir() const { return m_work.path(); }
    QString programDir() const { return m_program.path(); }

    static void writeFile(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }

    // A complete single-byte file whose record c has byte c in every row
    // (so any row of any glyph tells which record it came from).
    static QByteArray numberedAscii()
    {
        QByteArray a(glintag::kAsciiFileBytes, '\0');
        for (int c = 0; c < 256; ++c)
            for (int r = 0; r < 12; ++r)
                a[12 * c + r] = char(c);
        return a;
    }

    // A double-byte file where the given codes carry the given 12 × 16 rows.
    static QByteArray doubleFileWith(std::initializer_list<std::pair<std::uint16_t, std::uint16_t>> codeRow)
    {
        QByteArray a(glintag::kDoubleFileBytes, '\0');
        for (auto [code, row] : codeRow) {
            const int off = glintag::doubleRecordOffset(code);
            for (int r = 0; r < 12; ++r) {
                a[off + 2 * r] = char(row >> 8);
                a[off + 2 * r + 1] = char(row & 0xFF);
            }
        }
        return a;
    }

private:
    QTemporaryDir m_work, m_program;
    QString m_oldCwd;
};
