#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include <vector>

namespace glintag {

// A picture twelve dots high drawn for this program, to stamp onto a canvas.
struct Icon {
    QString name;
    int width = 0;
    std::vector<QString> rows; // kRowCount rows of '#' (lit) and '.' (unlit)

    bool lit(int x, int y) const { return rows[size_t(y)][x] == QLatin1Char('#'); }
};

// Reads icons written as in icons.txt: "= name" and then one line per dot
// row; lines starting with ';' and empty lines are skipped. On a malformed
// icon returns what came before it and says which one in *error.
std::vector<Icon> parseIcons(const QString &text, QString *error = nullptr);

// The icons this program ships, in the file's order.
const std::vector<Icon> &builtInIcons();
QStringList iconNames();
// nullptr when no icon has that name.
const Icon *findIcon(const QString &name);

// Puts the icon's dots, lit and unlit, onto the canvas with its left edge
// at column x; what falls outside the canvas is cut off.
void stampIcon(QImage &canvas, const Icon &icon, int x);

} // namespace glintag
