#pragma once

#include "badge/badgesetup.h"

#include <optional>
#include <vector>

namespace glintag {

// What one step of the history changed, and whether the next step may join
// it, as an undo command states its id and how it merges: typing on in one
// slot's text is one step; any other change is a step of its own. It is
// told by the setups themselves, not by which widget has the focus, so a
// mode picked while a text box has the focus is never swallowed by typing.
struct SetupEdit {
    enum class Kind {
        None,  // nothing changed
        Text,  // only slot `slot`'s text changed
        Other, // anything else, or several things at once
    };
    Kind kind = Kind::None;
    int slot = -1;

    static SetupEdit between(const BadgeSetup &before, const BadgeSetup &after);
    // True when `next`, coming right after this step, joins it.
    bool mergesWith(const SetupEdit &next) const
    {
        return kind == Kind::Text && next.kind == kind && next.slot == slot;
    }
};

// Undo and redo as whole setups: each step is the setup as it stood before
// a change, so every kind of change (a typed text, a box, a mode, a picture
// loaded or drawn) goes back the same way, and going back gives exactly the
// earlier setup. The pictures are shared with the window's canvases until
// either changes, so a step costs little. It holds no widgets: the window
// records into it and shows what undo and redo give back.
class SetupHistory {
public:
    // The most steps kept; older ones are dropped.
    static constexpr size_t kLimit = 200;

    // Forgets every step: the setup just opened, made new or started with.
    void reset(const BadgeSetup &now);
    // The setup after a change: a new step, or the end of the last one when
    // SetupEdit says they merge. An unchanged setup makes none.
    void record(const BadgeSetup &now);
    // The next change starts a step of its own, whatever it is (the user
    // left the text box, say).
    void seal() { m_last = SetupEdit(); }
    // The setup to show, or nothing when there is no step that way.
    std::optional<BadgeSetup> undo();
    std::optional<BadgeSetup> redo();

    bool canUndo() const { return !m_undo.empty(); }
    bool canRedo() const { return !m_redo.empty(); }
    const BadgeSetup &current() const { return m_current; }

private:
    std::vector<BadgeSetup> m_undo, m_redo;
    BadgeSetup m_current;
    SetupEdit m_last; // what the newest step changed
};

} // namespace glintag
