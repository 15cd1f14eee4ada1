#include "preview/losswarnings.h"

#include "badge/badgesetup.h"
#include "badge/dotcanvas.h"
#include "files/animatedgif.h"
#include "i18n/previewtexts.h"
#include "render/messagebuilder.h"
#include "support/files.h"
#include "support/gifwriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using namespace glintag;

namespace {

const QString kFonts = QStringLiteral(GLINTAG_BIN_DIR);

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

std::vector<LossWarning> warningsFor(const BadgeSetup &setup, const QString &programDir = kFonts)
{
    return findLossWarnings(setup, renderSetup(setup, programDir));
}

QImage picture(QRgb colour)
{
    QImage canvas(kRowColumns, kRowCount, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    canvas.setPixel(100, 5, colour);
    return canvas;
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
        past = charactersLost(K::PastRowEnd, 2, 89, 600), dark{K::NothingLit, 2}, empty{K::NoPicture, 2};
    const auto longSlots = [](BadgeSetup &s) {
        s.slots[0].select = s.slots[1].select = true;
        s.slots[0].text = QString(400, QLatin1Char('A'));
        s.slots[1].text = QString(200, QLatin1Char('B'));
        s.slots[2].text = QStringLiteral("C");
    };
    const auto withPicture = [](QRgb colour) {
        return [colour](BadgeSetup &s) {
            s.slots[2].image = true;
            s.slots[2].picture = picture(colour);
        };
    };
    // Slot 1 as frames of an animation: its length is padded to whole frames
    // past the row's 512 bytes, and the padding is cut again.
    const auto animated = [](BadgeSetup &s) {
        s.slots[0] = s.slots[2];
        s.slots[0].mode = listPosition(MoveMode::Animation);
        s.slots[2].select = false;
    };
    const struct {
        const char *what;
        BadgeSetup setup;
        std::function<void(BadgeSetup &)> cause, fix; // no fix: nothing to warn of
        std::vector<LossWarning> expected;
    } cases[] = {
        {"Chinese under English",
         oneSlot(QStringLiteral("Hi 你好你")),
         {},
         [](BadgeSetup &s) { s.language = 0; },
         {replaced}},
        {"a Simplified-only character under Korean",
         oneSlot(QStringLiteral("们"), 3),
         {},
         [](BadgeSetup &s) { s.language = 0; },
         {korean}},
        {"a character no language holds",
         oneSlot(QStringLiteral("a😀")),
         {},
         [](BadgeSetup &s) { s.slots[2].text = QStringLiteral("a?"); },
         {nowhere}},
        {"slots beyond the row limit",
         oneSlot(QString()),
         longSlots,
         [](BadgeSetup &s) { s.slots[0].select = false; },
         {cut, dropped}},
        {"a text past its own 4096 columns",
         oneSlot(QString(600, QLatin1Char('A'))),
         {},
         [](BadgeSetup &s) { s.slots[2].text.truncate(511); },
         {past}},
        {"a full animation is padded, not cut",
         oneSlot(QString(600, QLatin1Char('A'))),
         animated,
         [](BadgeSetup &s) { s.slots[0].text.truncate(511); },
         {charactersLost(K::PastRowEnd, 0, 89, 600)}},
        {"a full animated picture is padded, not cut",
         oneSlot(QString()),
         [&](BadgeSetup &s) {
             withPicture(qRgb(0, 0, 0))(s);
             s.slots[2].picture.setPixel(kRowColumns - 1, 0, qRgb(255, 0, 0));
             animated(s);
         },
         {},
         {}},
        {"a green picture", oneSlot(QString()), withPicture(qRgb(0, 255, 0)), withPicture(qRgb(200, 0, 0)), {dark}},
        {"a picture slot with nothing loaded",
         oneSlot(QString()),
         withPicture(qRgb(0, 0, 0)),
         withPicture(qRgb(200, 0, 0)),
         {empty}},
        {"an unselected slot is not sent",
         oneSlot(QStringLiteral("你好")),
         [](BadgeSetup &s) { s.slots[2].select = false; },
         {},
         {}},
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
        {"blue", 4, {{K::NothingLit, 0}}},
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

TEST(LossWarnings, MissingFontNamesTheFileAndTheFolders)
{
    QTemporaryDir work, program;
    ASSERT_TRUE(work.isValid() && program.isValid());
    ASSERT_TRUE(QFile::copy(kFonts + QStringLiteral("/ASC12"), work.filePath(QStringLiteral("ASC12"))));
    const QString before = QDir::currentPath();
    QDir::setCurrent(work.path());

    BadgeSetup setup = oneSlot(QStringLiteral("ab日本"), 2);
    setup.slots[3] = setup.slots[2]; // a second slot needing the same file: named once
    LossWarning missing{
        LossKind::MissingFont,
        2,
        {},
        -1,
        0,
        0,
        QStringLiteral("JpK12"),
        {work.path(), program.path(), QDir::cleanPath(program.filePath(QStringLiteral("../share/glintag")))}};
    EXPECT_EQ(warningsFor(setup, program.path()), std::vector<LossWarning>{missing});

    setup.slots[2].vertical = setup.slots[3].vertical = true;
    missing.fileName = QStringLiteral("JpK12V");
    EXPECT_EQ(warningsFor(setup, program.path()), std::vector<LossWarning>{missing}) << "vertical writing";

    ASSERT_TRUE(writeFile(program.filePath(QStringLiteral("JpK12V")), {}));
    EXPECT_TRUE(warningsFor(setup, program.path()).empty()) << "found in the program's folder";
    QDir::setCurrent(before);
}

TEST(LossWarnings, TextsCarryTheirFactsInEveryLanguage)
{
    using K = LossKind;
    using N = LanguageNaming;
    const struct {
        LossWarning warning; // all for slot 12
        QStringList facts;
        N naming = N::LanguageBox;
    } cases[] = {
        // Sent under Japanese whatever the window speaks.
        {replacedUnder(11, QStringLiteral("你好"), 1, 2),
         {QStringLiteral("你好"), QStringLiteral("Japanese"), QStringLiteral("TradChinese")}},
        {replacedUnder(11, QStringLiteral("你好"), 1, 2),
         {QStringLiteral("Japanese"), QStringLiteral("--language zh-TW")},
         N::Option},
        {replacedUnder(11, QStringLiteral("😀"), -1, 3), {QStringLiteral("😀"), QStringLiteral("Korean")}},
        {replacedUnder(11, QStringLiteral("😀"), -1, 3), {QStringLiteral("--language")}, N::Option},
        {{K::CutAtLimit, 11, {}, -1, 345, 77}, {QStringLiteral("77"), QStringLiteral("345"), QStringLiteral("512")}},
        {charactersLost(K::CutAtLimit, 11, 77, 345),
         {QStringLiteral("77"), QStringLiteral("345"), QStringLiteral("512")}},
        {{K::DroppedAtLimit, 11, {}, -1, 345}, {QStringLiteral("345")}},
        {charactersLost(K::DroppedAtLimit, 11, 345, 345), {QStringLiteral("345"), QStringLiteral("512")}},
        {charactersLost(K::PastRowEnd, 11, 89, 600),
         {QStringLiteral("89"), QStringLiteral("600"), QStringLiteral("4096")}},
        {{K::NothingLit, 11}, {QStringLiteral("128")}},
        {{K::NoPicture, 11}, {}},
        {{K::MissingFont,
          11,
          {},
          -1,
          0,
          0,
          QStringLiteral("KrK12V"),
          {QStringLiteral("/opt/x"), QStringLiteral("/usr/y")}},
         {QStringLiteral("KrK12V"), QStringLiteral("/opt/x"), QStringLiteral("/usr/y")}},
    };
    for (const auto &c : cases) {
        QStringList seen;
        for (int lang = 0; lang < 5; ++lang) {
            const QString text = lossWarningText(c.warning, lang, c.naming);
            EXPECT_TRUE(text.contains(QStringLiteral("12"))) << text.toStdString();
            EXPECT_FALSE(text.contains(QLatin1Char('%'))) << "a placeholder left: " << text.toStdString();
            for (const QString &fact : c.facts)
                EXPECT_TRUE(text.contains(fact)) << fact.toStdString() << " in " << text.toStdString();
            EXPECT_FALSE(seen.contains(text)) << "two languages share " << text.toStdString();
            seen << text;
        }
    }
}
