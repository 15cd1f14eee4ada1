#include "files/icons.h"

#include "badge/dotcanvas.h"
#include "badge/limits.h"
#include "files/iconsdata.h"

#include <QSet>

#include <algorithm>

namespace glintag {

std::vector<Icon> parseIcons(const QString &text, QString *error)
{
    std::vector<Icon> icons;
    QSet<QString> names;
    Icon current;
    auto finish = [&]() -> bool {
        if (current.name.isEmpty())
            return true;
        QString problem;
        if (int(current.rows.size()) != kRowCount)
            problem = QStringLiteral("has %1 rows, not %2").arg(current.rows.size()).arg(kRowCount);
        else if (names.contains(current.name))
            problem = QStringLiteral("is named twice");
        for (const QString &row : current.rows)
            if (problem.isEmpty() && row.size() != current.width)
                problem = QStringLiteral("has rows of different lengths");
        if (!problem.isEmpty()) {
            if (error)
                *error = QStringLiteral("Icon \"%1\" %2.").arg(current.name, problem);
            return false;
        }
        names.insert(current.name);
        icons.push_back(current);
        return true;
    };
    for (const QString &raw : text.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1String("= "))) {
            if (!finish())
                return icons;
            current = Icon{line.mid(2).trimmed(), 0, {}};
            continue;
        }
        const bool dotsOnly = !line.isEmpty() && std::all_of(line.begin(), line.end(), [](QChar c) {
            return c == QLatin1Char('#') || c == QLatin1Char('.');
        });
        if (current.name.isEmpty() || !dotsOnly) {
            if (error)
                *error = QStringLiteral("Unexpected line \"%1\".").arg(line);
            return icons;
        }
        if (current.rows.empty())
            current.width = int(line.size());
        current.rows.push_back(line);
    }
    finish();
    return icons;
}

const std::vector<Icon> &builtInIcons()
{
    static const std::vector<Icon> icons = parseIcons(QString::fromUtf8(kIconsText));
    return icons;
}

QStringList iconNames()
{
    QStringList names;
    for (const Icon &icon : builtInIcons())
        names << icon.name;
    return names;
}

const Icon *findIcon(const QString &name)
{
    for (const Icon &icon : builtInIcons())
        if (icon.name == name)
            return &icon;
    return nullptr;
}

void stampIcon(QImage &canvas, const Icon &icon, int x)
{
    for (int y = 0; y < kRowCount; ++y)
        for (int c = 0; c < icon.width; ++c)
            setDot(canvas, x + c, y, icon.lit(c, y));
}

} // namespace glintag
