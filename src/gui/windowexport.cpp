#include "gui/mainwindow.h"

namespace glintag {

bool MainWindow::exportPreview(const QString &)
{
    return false;
}

} // namespace glintag
