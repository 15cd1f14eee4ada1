#include "preview/losswarnings.h"

#include "badge/badgesetup.h"
#include "badge/dotcanvas.h"
#include "files/animatedgif.h"
#include "render/messagebuilder.h"
#include "support/files.h"
#include "support/gifwriter.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using namespace glintag;

namespace {

// A setup with only slot 3 (index 2) selected.
BadgeSetup oneSlot(const QString &text, int language = 4)
{
    BadgeSetup setup = defaultBadgeSetup();
    for (auto &slot : setup.slots)
        slot.select = false;
    setup.slots[2].select = true;
    setup.slots[2].text = text;
    setup.language = language;
    return setup;
}

// With the fonts the build makes.
std::vector<LossWarning> warningsFor(const BadgeSetup &setup)
{
    return findLossWarnings(setup, renderSetup(setup, QStringLiteral(GLINTAG_BIN_DIR)));
}

} // namespace

// A warning about a slot's characters: the language it is sent under for
// "?", or how many characters of how many do not reach the badge.
LossWarning replacedUnder(int slot, const QString &characters, int drawing, int sendLanguage)
{
    LossWarning w{LossKind::ReplacedCharacters, slot, characters, drawing};
    w.sendLanguage = sendLanguage;
    return w;
}

LossWarning charactersLost(LossKind kind, int slot, int cut, int count)
{
    LossWarning w{kind, slot};
    w.charactersCut = cut;
    w.characterCount = count;
    return w;
}

TEST(LossWarnings, EachAppearsForItsCauseAndGoesWhenFixed)
{
    using K = LossKind;
    const LossWarning replaced
        = replacedUnder(2, QStringLiteral("你好"), 0, 4),
        korean = replacedUnder(2, QStringLiteral("们"), 0, 3), nowhere = replacedUnder(2, QStringLiteral("😀"), -1, 4),
        cut = charactersLost(K::CutAtLimit, 1, 88, 200), dropped = charactersLost(K::DroppedAtLimit, 2, 1, 1),
        past = charactersLost(K::PastRowEnd, 2, 89, 600), pastInFirst = charactersLost(K::PastRowEnd, 0, 89, 600),
        dark{K::NothingLit, 2}, empty{K::NoPicture, 2};
    const auto english = [](BadgeSetup &s) { s.language = 0; };
    const auto unselectFirst = [](BadgeSetup &s) { s.slots[0].select = false; };
    const auto cutTo511 = [](int slot) { return [slot](BadgeSetup &s) { s.slots[slot].text.truncate(511); }; };
    const auto longSlots = [](BadgeSetup &s) {
        s.slots[0].select = s.slots[1].select = true;
        s.slots[0].text = QString(400, QLatin1Char('A'));
        s.slots[1].text = QString(200, QLatin1Char('B'));
        s.slots[2].text = QStringLiteral("C");
    };
    const auto withPicture = [](QRgb colour) {
        return [colour](BadgeSetup &s) {
            s.slots[2].image = true;
            s.slots[2].picture = QImage(kRowColumns, kRowCount, QImage::Format_RGB32);
            s.slots[2].picture.fill(Qt::black);
            s.slots[2].picture.setPixel(100, 5, colour); // one dot in the picture's colour
        };
    };
    // Slot 1 as frames of an animation: its length is padded to whole frames
    // past the row's 512 bytes, and the padding is cut again.
    const auto animated = [](BadgeSetup &s) {
        s.slots[0] = s.slots[2];
        s.slots[0].mode = listPosition(MoveMode::Animation);
        s.slots[2].select = false;
    };
    const auto fullAnimatedPicture = [&](BadgeSetup &s) {
        withPicture(qRgb(0, 0, 0))(s);
        s.slots[2].picture.setPixel(kRowColumns - 1, 0, qRgb(255, 0, 0));
        animated(s);
    };
    const struct {
        const char *what;
        BadgeSetup setup;
        std::function<void(BadgeSetup &)> cause, fix; // no fix: nothing to warn of
        std::vector<LossWarning> expected;
    } cases[] = {
        {"Chinese under English", oneSlot("Hi 你好你"), {}, english, {replaced}},
        {"a Simplified-only character under Korean", oneSlot("们", 3), {}, english, {korean}},
        {"a character no language holds", oneSlot("a😀"), {}, [](BadgeSetup &s) { s.slots[2].text = "a?"; }, {nowhere}},
        {"slots beyond the row limit", oneSlot(""), longSlots, unselectFirst, {cut, dropped}},
        {"a text past its own 4096 columns", oneSlot(QString(600, 'A')), {}, cutTo511(2), {past}},
        {"a full animation is padded, not cut", oneSlot(QString(600, 'A')), animated, cutTo511(0), {pastInFirst}},
        {"a full animated picture is padded, not cut", oneSlot(""), fullAnimatedPicture, {}, {}},
        {"a green picture", oneSlot(""), withPicture(qRgb(0, 255, 0)), withPicture(qRgb(200, 0, 0)), {dark}},
        {"an empty picture slot", oneSlot(""), withPicture(qRgb(0, 0, 0)), withPicture(qRgb(200, 0, 0)), {empty}},
        {"an unselected slot is not sent", oneSlot("你好"), [](BadgeSetup &s) { s.slots[2].select = false; }, {}, {}},
        {"the default setup", defaultBadgeSetup(), {}, {}, {}},
    };
    for (const auto &c : cases) {
        BadgeSetup setup = c.setup;
        if (c.cause)
            c.cause(setup);
        EXPECT_EQ(warningsFor(setup), c.expected) << c.what;
        if (c.fix) {
            c.fix(setup);
            EXPECT_TRUE(warningsFor(setup).empty()) << c.what << ", fixed";
        }
    }
}

TEST(LossWarnings, AnAnimationOfFramesThatLightNothingIsALoadedPicture)
{
    // Frames of one palette colour each (see GifWriter), fitted as slot 1's
    // animation: a colour without red enough is a picture that lights
    // nothing, only black is no picture at all.
    using K = LossKind;
    const struct {
        const char *what;
        int colour;
        std::vector<LossWarning> expected;
    } cases[] = {
        {"green", 3, {{K::NothingLit, 0}}},
        {"dark grey", 6, {{K::NothingLit, 0}}},
        {"black", 0, {{K::NoPicture, 0}}},
        {"white", 1, {}},
    };
    QTemporaryDir dir;
    for (const BadgeModel &model : kBadgeModels) {
        for (const auto &c : cases) {
            GifWriter gif(30, 12);
            gif.addFilledFrame(c.colour);
            gif.addFilledFrame(c.colour);
            const QString path = dir.filePath(QStringLiteral("%1.gif").arg(c.colour));
            ASSERT_TRUE(writeFile(path, gif.finish()));
            GifAnimation animation;
            ASSERT_TRUE(loadGifAnimation(path, frameWidth(model), &animation)) << c.what;
            BadgeSetup setup = oneSlot(QString());
            setup.model = QLatin1String(model.name);
            setup.slots[2].select = false;
            setup.slots[0].select = setup.slots[0].image = true;
            setup.slots[0].mode = listPosition(MoveMode::Animation);
            setup.slots[0].picture = animation.canvas;
            EXPECT_EQ(warningsFor(setup), c.expected) << c.what << " on " << model.name;
        }
    }
}
