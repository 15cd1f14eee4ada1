#pragma once

#include "badge/badgesetup.h"

#include <QString>

#include <optional>
#include <vector>

namespace glintag {

// Undo and redo as whole setups: each step is the setup as it stood before
// a change, so every kind of change (a typed text, a box, a mode, a picture
// loaded or drawn) goes back the same way, and going back gives exactly the
// earlier setup. The pictures are shared with the window's canvases until
// either changes, so a step costs little. This is history, not the model:
// the window's controls stay the setup, and an undo is applied to them.
class SetupHistory {
public:
    // The most steps kept; older ones are dropped.
    static constexpr size_t kLimit = 200;

    // Forgets every step: the setup just opened, made new or started with.
    void reset(const BadgeSetup &now);
    // The setup after a change. Consecutive changes of one named run (the
    // typing in one text box) make one step; an unchanged setup makes none.
    void record(const BadgeSetup &now, const QString &run = QString());
    // The setup to show, or nothing when there is no step that way.
    std::optional<BadgeSetup> undo();
    std::optional<BadgeSetup> redo();

    bool canUndo() const { return !m_undo.empty(); }
    bool canRedo() const { return !m_redo.empty(); }
    const BadgeSetup &current() const { return m_current; }

private:
    std::vector<BadgeSetup> m_undo, m_redo;
    BadgeSetup m_current;
    QString m_run;
};

} // namespace glintag
