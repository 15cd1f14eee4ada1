#include "badge/badgesetup.h"
#include "protocol/uploadstream.h"
#include "render/messagebuilder.h"

#include <gtest/gtest.h>

#include <functional>

using namespace glintag;

namespace {

QByteArray streamOf(const BadgeSetup &setup)
{
    const UploadSnapshot snapshot{setup, renderSetup(setup, QStringLiteral(GLINTAG_BIN_DIR))};
    return uploadStream(snapshot);
}

} // namespace

// Every field of a setup must change what goes on the wire: each case takes
// slot 6 (or the whole badge) to where the field matters, changes that one
// field, and the stream built from the setup and its rendering must differ.
TEST(BadgeSetup, EveryFieldChangesTheStream)
{
    // A field added later stops these compiling until it has a case below.
    [[maybe_unused]] const auto &[text, select, speed, mode, flash, border, image, picture, vertical, alternate]
        = SlotSetup();
    [[maybe_unused]] const auto &[slots, language, model, brightness] = BadgeSetup();

    QImage red(kCanvasWidth, kCanvasHeight, QImage::Format_RGB32);
    red.fill(Qt::red);
    const int s = 5;
    const auto hanzi = [&](BadgeSetup &b) { b.slots[s].text = QStringLiteral("中文"); };
    const struct {
        const char *field;
        std::function<void(BadgeSetup &)> where, change;
    } cases[] = {
        {"text", {}, [&](BadgeSetup &b) { b.slots[s].text = "Hi"; }},
        {"select", {}, [&](BadgeSetup &b) { b.slots[s].select = false; }},
        {"speed", {}, [&](BadgeSetup &b) { b.slots[s].speed = "7"; }},
        {"mode", {}, [&](BadgeSetup &b) { b.slots[s].mode = listPosition(MoveMode::Freeze); }},
        {"flash", {}, [&](BadgeSetup &b) { b.slots[s].flash = true; }},
        {"border", {}, [&](BadgeSetup &b) { b.slots[s].border = true; }},
        {"image and picture", {}, [&](BadgeSetup &b) { b.slots[s].image = true, b.slots[s].picture = red; }},
        {"vertical", hanzi, [&](BadgeSetup &b) { b.slots[s].vertical = true; }},
        {"alternate", {}, [&](BadgeSetup &b) { b.slots[s].alternate = b.slots[s + 1].alternate = true; }},
        {"language", hanzi, [&](BadgeSetup &b) { b.language = 4; }},
        {"model", [&](BadgeSetup &b) { hanzi(b), b.slots[s].mode = listPosition(MoveMode::Up); },
         [&](BadgeSetup &b) { b.model = QLatin1String(kModelR2.name); }},
        {"brightness", {}, [&](BadgeSetup &b) { b.brightness = "2"; }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.field);
        BadgeSetup base = defaultBadgeSetup();
        if (c.where)
            c.where(base);
        BadgeSetup changed = base;
        c.change(changed);
        EXPECT_NE(changed, base) << "the field takes part in the comparison";
        EXPECT_NE(streamOf(changed), streamOf(base));
    }
}
