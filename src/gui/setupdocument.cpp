#include "gui/setupdocument.h"

#include "settings/setupfile.h"

#include <QFileInfo>

namespace glintag {

QString SetupDocument::displayName(const QString &untitled) const
{
    return isNamed() ? QFileInfo(m_path).fileName() : untitled;
}

void SetupDocument::setSaved(const QString &path, const BadgeSetup &setup)
{
    m_path = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
    m_saved = setup;
    if (isNamed())
        addRecent(m_path);
}

void SetupDocument::addRecent(const QString &path)
{
    m_recent.removeAll(path);
    m_recent.prepend(path);
    while (m_recent.size() > kRecentFiles)
        m_recent.removeLast();
}

} // namespace glintag
