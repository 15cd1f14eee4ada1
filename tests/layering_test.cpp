// Folders under src/ are floors. A file may include its own folder and the
// folders on lower floors; reaching up, or two folders that include each
// other, makes the libraries tangle and fails here with the offending line.
#include "support/files.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QMap<QString, int> &floors()
{
    static const QMap<QString, int> table = {
        {QStringLiteral("badge"), 1},    {QStringLiteral("i18n"), 1},     {QStringLiteral("files"), 2},
        {QStringLiteral("render"), 2},   {QStringLiteral("protocol"), 2}, {QStringLiteral("link"), 3},
        {QStringLiteral("settings"), 3}, {QStringLiteral("preview"), 3},  {QStringLiteral("sending"), 4},
        {QStringLiteral("net"), 5},      {QStringLiteral("cli"), 6},      {QStringLiteral("gui"), 7},
        {QStringLiteral("app"), 8},
    };
    return table;
}

struct Include {
    QString file; // relative to src/
    int line;
    QString target; // the folder it names
};

// Every project include of every file under src/, as folder edges.
std::vector<Include> projectIncludes(const QString &srcDir)
{
    static const QRegularExpression include(QStringLiteral(R"(^\s*#\s*include\s*"([^"/]+)/)"));
    std::vector<Include> out;
    QDirIterator it(srcDir, {QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QList<QByteArray> lines = readFile(path).split('\n');
        for (int n = 0; n < lines.size(); ++n) {
            const auto m = include.match(QString::fromUtf8(lines[n]));
            if (m.hasMatch())
                out.push_back({QDir(srcDir).relativeFilePath(path), n + 1, m.captured(1)});
        }
    }
    return out;
}

// One line per include that breaks the floors, and per pair of folders that
// include each other.
QStringList layeringFaults(const QString &srcDir)
{
    QStringList faults;
    for (const QString &folder : QDir(srcDir).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        if (!floors().contains(folder))
            faults << QStringLiteral("src/%1 is on no floor").arg(folder);
    QSet<QPair<QString, QString>> edges;
    for (const Include &inc : projectIncludes(srcDir)) {
        const QString from = inc.file.section(QLatin1Char('/'), 0, 0),
                      where = QStringLiteral("%1:%2").arg(inc.file).arg(inc.line);
        if (!floors().contains(inc.target)) {
            faults << QStringLiteral("%1 includes unknown folder %2").arg(where, inc.target);
            continue;
        }
        if (from == inc.target || !floors().contains(from))
            continue;
        if (floors().value(inc.target) > floors().value(from))
            faults << QStringLiteral("%1 reaches up to %2").arg(where, inc.target);
        edges.insert({from, inc.target});
    }
    for (const auto &e : edges)
        if (e.first < e.second && edges.contains({e.second, e.first}))
            faults << QStringLiteral("%1 and %2 include each other").arg(e.first, e.second);
    return faults;
}

TEST(Layering, TheSourceTreeKeepsItsFloors)
{
    const QString src = QStringLiteral(GLINTAG_SOURCE_DIR "/src");
    ASSERT_GT(projectIncludes(src).size(), 100u) << "the scan found too few includes to mean anything";
    const QStringList faults = layeringFaults(src);
    EXPECT_TRUE(faults.isEmpty()) << faults.join(QLatin1Char('\n')).toStdString();
}

// The check itself, on small trees written here.
TEST(Layering, FaultsAreFound)
{
    const struct {
        const char *name;
        std::vector<std::pair<const char *, const char *>> files; // path, content
        int faults;
    } cases[] = {
        {"down is fine", {{"gui/a.cpp", "#include \"badge/b.h\"\n"}, {"badge/b.h", ""}}, 0},
        {"up", {{"badge/b.h", "#include \"gui/w.h\"\n"}, {"gui/w.h", ""}}, 1},
        {"sideways both ways",
         {{"link/a.h", "#include \"settings/s.h\"\n"}, {"settings/s.h", "  #  include \"link/a.h\"\n"}},
         1},
        {"unknown folder", {{"badge/b.h", "#include \"attic/x.h\"\n"}}, 1},
        {"folder without a floor", {{"attic/x.h", ""}}, 1},
    };
    for (const auto &c : cases) {
        QTemporaryDir dir;
        for (const auto &[path, content] : c.files) {
            const QString file = QDir(dir.path()).filePath(QLatin1String(path));
            ASSERT_TRUE(QDir().mkpath(QFileInfo(file).path()) && writeFile(file, content)) << path;
        }
        EXPECT_EQ(layeringFaults(dir.path()).size(), c.faults) << c.name;
    }
}

} // namespace
