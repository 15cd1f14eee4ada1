#include "protocol/uploadstream.h"
#include "badge/badgesetup.h"
#include "render/messagebuilder.h"

#include <gtest/gtest.h>

#include <functional>

using namespace glintag;

// Every field of a setup must reach the renderer or the header: each case
// changes one field of slot 5 (or a global one) and names where it must show.
TEST(BadgeSetup, EveryFieldReachesTheRendererOrTheHeader)
{
    QImage picture(kRowColumns, kRowCount, QImage::Format_RGB32);
    picture.fill(Qt::red);
    const int s = 5;
    const struct {
        const char *field;
        std::function<void(BadgeSetup &)> change;
        std::function<bool(const RenderRequest &)> rendered;
        std::function<bool(const UploadOptions &)> sent;
    } cases[] = {
        {"text", [&](BadgeSetup &b) { b.slots[s].text = "Hi"; },
         [&](const RenderRequest &r) { return r.slot[s].text == "Hi"; }, nullptr},
        {"select", [&](BadgeSetup &b) { b.slots[s].select = false; },
         [&](const RenderRequest &r) { return !r.slot[s].selected; }, nullptr},
        {"speed", [&](BadgeSetup &b) { b.slots[s].speed = "7"; }, nullptr,
         [&](const UploadOptions &o) { return o.slotOptions[s].speed == "7"; }},
        {"mode", [&](BadgeSetup &b) { b.slots[s].mode = 4; },
         [&](const RenderRequest &r) { return r.slot[s].modeIndex == 4; },
         [&](const UploadOptions &o) { return o.slotOptions[s].modeIndex == 4; }},
        {"flash", [&](BadgeSetup &b) { b.slots[s].flash = true; }, nullptr,
         [&](const UploadOptions &o) { return o.slotOptions[s].flash == 1; }},
        {"border", [&](BadgeSetup &b) { b.slots[s].border = true; }, nullptr,
         [&](const UploadOptions &o) { return o.slotOptions[s].border == 1; }},
        {"image and picture", [&](BadgeSetup &b) { b.slots[s].image = true, b.slots[s].picture = picture; },
         [&](const RenderRequest &r) { return r.slot[s].image && r.slot[s].canvas == picture; }, nullptr},
        {"vertical", [&](BadgeSetup &b) { b.slots[s].vertical = true; },
         [&](const RenderRequest &r) { return r.slot[s].vertical; }, nullptr},
        {"alternate", [&](BadgeSetup &b) { b.slots[s].alternate = b.slots[s + 1].alternate = true; }, nullptr,
         [&](const UploadOptions &o) { return o.alternate.first == s && o.alternate.count == 2; }},
        {"language", [&](BadgeSetup &b) { b.language = 3; },
         [&](const RenderRequest &r) { return r.uiLanguage == 3; }, nullptr},
        {"model", [&](BadgeSetup &b) { b.model = "R2"; },
         [&](const RenderRequest &r) { return r.model == "R2"; }, nullptr},
        {"brightness", [&](BadgeSetup &b) { b.brightness = "2"; }, nullptr,
         [&](const UploadOptions &o) { return o.brightness == "2"; }},
    };
    const BadgeSetup base = defaultBadgeSetup();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.field);
        BadgeSetup changed = base;
        c.change(changed);
        EXPECT_NE(changed, base) << "the field takes part in the comparison";
        if (c.rendered) {
            EXPECT_FALSE(c.rendered(renderRequest(base)));
            EXPECT_TRUE(c.rendered(renderRequest(changed)));
        }
        if (c.sent) {
            EXPECT_FALSE(c.sent(uploadOptions(base)));
            EXPECT_TRUE(c.sent(uploadOptions(changed)));
        }
    }
}
