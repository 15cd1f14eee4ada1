#pragma once

#include "badge/badgesetup.h"

#include <QString>
#include <QStringList>

namespace glintag {

// Which setup file the window shows and the setup as it was last opened or
// saved there, to tell whether the controls have changed since. Without a
// file the window works on the automatic settings file, which saves itself
// on close and so never counts as changed.
class SetupDocument {
public:
    bool isNamed() const { return !m_path.isEmpty(); }
    QString path() const { return m_path; }
    // The file's name as the title shows it; `untitled` without a file.
    QString displayName(const QString &untitled) const;

    // Just opened from or saved to path (empty: the automatic file).
    void setSaved(const QString &path, const BadgeSetup &setup);
    const BadgeSetup &saved() const { return m_saved; }
    bool isModified(const BadgeSetup &now) const { return isNamed() && now != m_saved; }

    // The newest first, each file once, at most kRecentFiles.
    const QStringList &recentFiles() const { return m_recent; }
    void setRecentFiles(const QStringList &paths) { m_recent = paths; }
    void addRecent(const QString &path);

private:
    QString m_path;
    BadgeSetup m_saved;
    QStringList m_recent;
};

} // namespace glintag
