#include "gui/setuphistory.h"

namespace glintag {

SetupEdit SetupEdit::between(const BadgeSetup &before, const BadgeSetup &after)
{
    // One pass over the slots: this runs once for every change the user makes.
    SetupEdit edit;
    if (before.language != after.language || before.model != after.model || before.brightness != after.brightness) {
        edit.kind = Kind::Other;
        return edit;
    }
    int changed = -1;
    for (int i = 0; i < kSlotCount; ++i) {
        if (before.slots[size_t(i)] == after.slots[size_t(i)])
            continue;
        if (changed >= 0) {
            edit.kind = Kind::Other; // several slots at once
            return edit;
        }
        changed = i;
    }
    if (changed < 0)
        return edit; // nothing changed
    SlotSetup onlyText = before.slots[size_t(changed)];
    onlyText.text = after.slots[size_t(changed)].text;
    edit.kind = onlyText == after.slots[size_t(changed)] ? Kind::Text : Kind::Other;
    if (edit.kind == Kind::Text)
        edit.slot = changed;
    return edit;
}

void SetupHistory::reset(const BadgeSetup &now)
{
    m_undo.clear();
    m_redo.clear();
    m_current = now;
    seal();
}

void SetupHistory::record(const BadgeSetup &now)
{
    const SetupEdit edit = SetupEdit::between(m_current, now);
    if (edit.kind == SetupEdit::Kind::None)
        return;
    // Typing on in the same text replaces the step's end, not its start.
    if (m_undo.empty() || !m_last.mergesWith(edit)) {
        m_undo.push_back(m_current);
        if (m_undo.size() > kLimit)
            m_undo.erase(m_undo.begin());
    }
    m_redo.clear();
    m_current = now;
    m_last = edit;
}

std::optional<BadgeSetup> SetupHistory::undo()
{
    if (m_undo.empty())
        return std::nullopt;
    m_redo.push_back(m_current);
    m_current = m_undo.back();
    m_undo.pop_back();
    seal();
    return m_current;
}

std::optional<BadgeSetup> SetupHistory::redo()
{
    if (m_redo.empty())
        return std::nullopt;
    m_undo.push_back(m_current);
    m_current = m_redo.back();
    m_redo.pop_back();
    seal();
    return m_current;
}

} // namespace glintag
