#include "gui/setuphistory.h"

namespace glintag {

void SetupHistory::reset(const BadgeSetup &now)
{
    m_undo.clear();
    m_redo.clear();
    m_current = now;
    m_run.clear();
}

void SetupHistory::record(const BadgeSetup &now, const QString &run)
{
    if (now == m_current)
        return;
    // Typing on in the same box replaces the step's end, not its start.
    const bool sameRun = !run.isEmpty() && run == m_run && !m_undo.empty();
    if (!sameRun) {
        m_undo.push_back(m_current);
        if (m_undo.size() > kLimit)
            m_undo.erase(m_undo.begin());
    }
    m_redo.clear();
    m_current = now;
    m_run = run;
}

std::optional<BadgeSetup> SetupHistory::undo()
{
    if (m_undo.empty())
        return std::nullopt;
    m_redo.push_back(m_current);
    m_current = m_undo.back();
    m_undo.pop_back();
    m_run.clear();
    return m_current;
}

std::optional<BadgeSetup> SetupHistory::redo()
{
    if (m_redo.empty())
        return std::nullopt;
    m_undo.push_back(m_current);
    m_current = m_redo.back();
    m_redo.pop_back();
    m_run.clear();
    return m_current;
}

} // namespace glintag
