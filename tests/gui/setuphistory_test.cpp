// Undo steps from the setups alone, without a window: typing on in one
// slot's text is one step, anything else a step of its own.
#include "gui/setuphistory.h"
#include "gui/setupmodel.h"

#include <gtest/gtest.h>

#include <functional>

using namespace glintag;

namespace {

using Change = std::function<void(BadgeSetup &)>;

Change typeInto(int slot, const char *text)
{
    return [slot, text](BadgeSetup &s) { s.slots[size_t(slot)].text += QLatin1String(text); };
}
Change pickMode(int slot, int mode)
{
    return [slot, mode](BadgeSetup &s) { s.slots[size_t(slot)].mode = mode; };
}

} // namespace

TEST(SetupHistory, StepsMergeOnlyForTypingOnInOneText)
{
    const struct {
        const char *what;
        std::vector<Change> changes;
        int steps; // how many undos lead back to the start
    } cases[] = {
        {"typing in one text", {typeInto(0, "a"), typeInto(0, "b"), typeInto(0, "c")}, 1},
        {"typing in two texts", {typeInto(0, "a"), typeInto(1, "b"), typeInto(0, "c")}, 3},
        {"a mode between keystrokes", {typeInto(0, "a"), pickMode(0, 3), typeInto(0, "b")}, 3},
        {"a mode then typing in that slot", {pickMode(2, 4), typeInto(2, "x"), typeInto(2, "y")}, 2},
        {"two modes", {pickMode(0, 1), pickMode(0, 2)}, 2},
        {"typing, leaving the box, typing", {typeInto(5, "a"), Change(), typeInto(5, "b")}, 2},
        {"text and mode at once",
         {[](BadgeSetup &s) {
              s.slots[0].text = QStringLiteral("new");
              s.slots[0].mode = 2;
          },
          typeInto(0, "z")},
         2},
        {"nothing changed", {[](BadgeSetup &) {}}, 0},
    };
    for (const auto &c : cases) {
        const BadgeSetup start = defaultBadgeSetup();
        SetupHistory history;
        history.reset(start);
        BadgeSetup now = start;
        for (const Change &change : c.changes) {
            if (!change) { // leaving the box
                history.seal();
                continue;
            }
            change(now);
            history.record(now);
        }
        int undos = 0;
        std::optional<BadgeSetup> earlier;
        while ((earlier = history.undo()))
            ++undos;
        EXPECT_EQ(undos, c.steps) << c.what;
        EXPECT_TRUE(history.current() == start) << c.what;
        // Redo comes back to the end, step by step.
        int redos = 0;
        while (history.redo())
            ++redos;
        EXPECT_EQ(redos, c.steps) << c.what;
        EXPECT_TRUE(history.current() == now) << c.what;
    }
}

// The model signals what changed, and only a change.
TEST(SetupModel, SignalsOnlyWhatChanged)
{
    SetupModel model;
    QList<int> slots;
    int settings = 0;
    QObject::connect(&model, &SetupModel::slotChanged, [&](int i) { slots << i; });
    QObject::connect(&model, &SetupModel::settingsChanged, [&] { ++settings; });
    BadgeSetup next = model.setup();
    next.slots[3].flash = true;
    next.slots[9].text = QStringLiteral("hi");
    next.model = QStringLiteral("R2");
    model.replace(next);
    EXPECT_EQ(slots, (QList<int>{3, 9}));
    EXPECT_EQ(settings, 1);

    model.replace(next); // the same again
    model.setSlot(3, next.slots[3]);
    model.setSettings(next.language, next.model, next.brightness);
    model.setSlot(kSlotCount, SlotSetup()); // no such slot
    EXPECT_EQ(slots.size(), 2);
    EXPECT_EQ(settings, 1);
}

// What a change to a slot means to the window: render, render for Send
// only, or play the same dots differently.
TEST(SetupModel, EachFieldsChangeIsOfItsKind)
{
    const struct {
        const char *what;
        std::function<void(SlotSetup &)> change;
        SlotChange kind;
    } cases[] = {
        {"text", [](SlotSetup &s) { s.text += QLatin1Char('x'); }, SlotChange::Dots},
        {"select", [](SlotSetup &s) { s.select = !s.select; }, SlotChange::Dots},
        {"loop lamp", [](SlotSetup &s) { s.border = true; }, SlotChange::Dots},
        {"mode", [](SlotSetup &s) { s.mode = 4; }, SlotChange::Dots},
        {"image", [](SlotSetup &s) { s.image = true; }, SlotChange::Dots},
        {"picture", [](SlotSetup &s) { s.picture = QImage(4, 4, QImage::Format_RGB32); }, SlotChange::Dots},
        {"vertical", [](SlotSetup &s) { s.vertical = true; }, SlotChange::Vertical},
        {"speed", [](SlotSetup &s) { s.speed = QStringLiteral("7"); }, SlotChange::Play},
        {"flash", [](SlotSetup &s) { s.flash = true; }, SlotChange::Play},
        {"alternate", [](SlotSetup &s) { s.alternate = true; }, SlotChange::Play},
        {"vertical and speed", [](SlotSetup &s) { s.vertical = true, s.speed = QStringLiteral("1"); },
         SlotChange::Vertical},
        {"text and flash", [](SlotSetup &s) { s.text.clear(), s.flash = true; }, SlotChange::Dots},
        {"nothing", [](SlotSetup &) {}, SlotChange::None},
    };
    for (const auto &c : cases) {
        const SlotSetup before = defaultBadgeSetup().slots[2];
        SlotSetup after = before;
        c.change(after);
        EXPECT_EQ(slotChange(before, after), c.kind) << c.what;
    }
}
