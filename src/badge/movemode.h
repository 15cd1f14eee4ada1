#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace glintag {

// How a slot's message moves on the badge, in the order of the window's
// move-mode list. A slot keeps its mode as the list position (SlotSetup::mode).
enum class MoveMode {
    Left,
    Right,
    Up,
    Down,
    Freeze,
    PileUp,
    Curtain,
    Animation
};

constexpr int kMoveModeCount = 8;

struct MoveModeFacts {
    MoveMode mode;
    std::uint8_t wireCode; // the low three bits of the slot's option byte
    bool sideways;         // the message scrolls sideways across the face
    const char *name;      // on the command line
    int settingsNumber;    // the settings file's Mode value
    bool firstSlotOnly;    // offered by slot 1's list alone
};

// Every mode, in list order. The badge numbers Pile Up 6 and Animation 5,
// the other way round from the list.
inline constexpr MoveModeFacts kMoveModes[kMoveModeCount] = {
    {MoveMode::Left, 0, true, "left", 0, false},        {MoveMode::Right, 1, true, "right", 1, false},
    {MoveMode::Up, 2, false, "up", 2, false},           {MoveMode::Down, 3, false, "down", 3, false},
    {MoveMode::Freeze, 4, false, "freeze", 4, false},   {MoveMode::PileUp, 6, false, "pile", 5, false},
    {MoveMode::Curtain, 7, false, "curtain", 6, false}, {MoveMode::Animation, 5, false, "animation", 7, true},
};

// The list position a slot's mode is kept as; SlotSetup::mode is this or -1.
constexpr int listPosition(MoveMode mode)
{
    return int(mode);
}
constexpr int kNoMoveMode = -1;

constexpr const MoveModeFacts &moveModeFacts(MoveMode mode)
{
    return kMoveModes[listPosition(mode)];
}

// The mode at a list position; nothing for -1 (no item selected) or beyond.
std::optional<MoveMode> moveModeAt(int position);

// Items in slot `slot`'s list (0-based slot): the first-slot-only modes
// come last, so each list is a leading part of kMoveModes.
int moveModeCount(int slot);

// Whether slot `slot` (0-based) offers the mode.
bool offersMoveMode(int slot, MoveMode mode);

// The mode with a command-line name; nothing for any other text.
std::optional<MoveMode> moveModeNamed(const QString &name);

// The mode a settings file's Mode value stands for; nothing for any other.
std::optional<MoveMode> moveModeFromSettings(int number);

} // namespace glintag
