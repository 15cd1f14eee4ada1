#include "preview/losswarnings.h"

#include "i18n/previewtexts.h"
#include "render/badgesetup.h"
#include "render/messagebuilder.h"

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
    DotBuffer dots;
    RowBytes rowBytes{};
    renderMessages(renderRequest(setup), programDir, dots, rowBytes);
    return findLossWarnings(setup, rowBytes, programDir);
}

QImage picture(QRgb colour)
{
    QImage canvas(kRowColumns, kRowCount, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    canvas.setPixel(100, 5, colour);
    return canvas;
}

} // namespace

TEST(LossWarnings, EachAppearsForItsCauseAndGoesWhenFixed)
{
    LossWarning replaced;
    replaced.slot = 2;
    replaced.characters = QStringLiteral("你好");
    replaced.drawingLanguage = 0;
    LossWarning nowhere = replaced;
    nowhere.characters = QStringLiteral("😀");
    nowhere.drawingLanguage = -1;
    LossWarning korean = replaced;
    korean.characters = QStringLiteral("们");
    LossWarning cut;
    cut.kind = LossKind::CutAtLimit;
    cut.slot = 1;
    cut.renderedBytes = 200;
    cut.bytesCut = 88;
    LossWarning dropped;
    dropped.kind = LossKind::DroppedAtLimit;
    dropped.slot = 2;
    dropped.renderedBytes = 1;
    dropped.bytesCut = 1;
    LossWarning dark;
    dark.kind = LossKind::NothingLit;
    dark.slot = 2;

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
    const struct {
        const char *what;
        BadgeSetup setup;
        std::function<void(BadgeSetup &)> cause, fix;
        std::vector<LossWarning> expected;
    } cases[] = {
        {"Chinese under English", oneSlot(QStringLiteral("Hi 你好你")), {},
         [](BadgeSetup &s) { s.language = 0; }, {replaced}},
        {"a Simplified-only character under Korean", oneSlot(QStringLiteral("们"), 3), {},
         [](BadgeSetup &s) { s.language = 0; }, {korean}},
        {"a character no language holds", oneSlot(QStringLiteral("a😀")), {},
         [](BadgeSetup &s) { s.slots[2].text = QStringLiteral("a?"); }, {nowhere}},
        {"slots beyond the row limit", oneSlot(QString()), longSlots,
         [](BadgeSetup &s) { s.slots[0].select = false; }, {cut, dropped}},
        {"a green picture", oneSlot(QString()), withPicture(qRgb(0, 255, 0)), withPicture(qRgb(200, 0, 0)),
         {dark}},
    };
    for (const auto &c : cases) {
        BadgeSetup setup = c.setup;
        if (c.cause)
            c.cause(setup);
        EXPECT_EQ(warningsFor(setup), c.expected) << c.what;
        c.fix(setup);
        EXPECT_TRUE(warningsFor(setup).empty()) << c.what << ", fixed";
    }
}

TEST(LossWarnings, CleanSetupsShowNone)
{
    BadgeSetup blackPicture = oneSlot(QString());
    blackPicture.slots[2].image = true;
    blackPicture.slots[2].picture = picture(qRgb(0, 0, 0));
    BadgeSetup unselected = oneSlot(QStringLiteral("你好"));
    unselected.slots[2].select = false;
    for (const BadgeSetup &setup : {defaultBadgeSetup(), blackPicture, unselected, oneSlot(QStringLiteral("a?b"))})
        EXPECT_TRUE(warningsFor(setup).empty());
}

TEST(LossWarnings, MissingFontNamesTheFileAndTheFolders)
{
    QTemporaryDir work, program;
    ASSERT_TRUE(work.isValid() && program.isValid());
    ASSERT_TRUE(QFile::copy(kFonts + QStringLiteral("/ASC12"), work.filePath(QStringLiteral("ASC12"))));
    const QString before = QDir::currentPath();
    QDir::setCurrent(work.path());

    BadgeSetup setup = oneSlot(QStringLiteral("ab日本"), 2);
    setup.slots[3] = setup.slots[2];   // a second slot needing the same file: named once
    LossWarning missing;
    missing.kind = LossKind::MissingFont;
    missing.slot = 2;
    missing.fileName = QStringLiteral("JpK12");
    missing.folders = QStringList{work.path(), program.path(),
                                  QDir::cleanPath(program.filePath(QStringLiteral("../share/glintag")))};
    EXPECT_EQ(warningsFor(setup, program.path()), std::vector<LossWarning>{missing});

    setup.slots[2].vertical = setup.slots[3].vertical = true;
    missing.fileName = QStringLiteral("JpK12V");
    EXPECT_EQ(warningsFor(setup, program.path()), std::vector<LossWarning>{missing}) << "vertical writing";

    QFile font(program.filePath(QStringLiteral("JpK12V")));
    ASSERT_TRUE(font.open(QIODevice::WriteOnly));
    font.close();
    EXPECT_TRUE(warningsFor(setup, program.path()).empty()) << "found in the program's folder";
    QDir::setCurrent(before);
}

TEST(LossWarnings, TextsCarryTheirFactsInEveryLanguage)
{
    LossWarning w;
    w.slot = 11;
    struct Case {
        LossKind kind;
        std::function<void(LossWarning &)> fill;
        QStringList facts;
    };
    const Case cases[] = {
        {LossKind::ReplacedCharacters, [](LossWarning &x) { x.characters = QStringLiteral("你好"); x.drawingLanguage = 1; },
         {QStringLiteral("你好"), QStringLiteral("TradChinese")}},
        {LossKind::ReplacedCharacters, [](LossWarning &x) { x.characters = QStringLiteral("😀"); x.drawingLanguage = -1; },
         {QStringLiteral("😀")}},
        {LossKind::CutAtLimit, [](LossWarning &x) { x.bytesCut = 77; x.renderedBytes = 345; },
         {QStringLiteral("77"), QStringLiteral("345"), QStringLiteral("512")}},
        {LossKind::DroppedAtLimit, [](LossWarning &x) { x.renderedBytes = 345; }, {QStringLiteral("345")}},
        {LossKind::NothingLit, [](LossWarning &) {}, {QStringLiteral("128")}},
        {LossKind::MissingFont, [](LossWarning &x) { x.fileName = QStringLiteral("KrK12V"); x.folders = {QStringLiteral("/opt/x"), QStringLiteral("/usr/y")}; },
         {QStringLiteral("KrK12V"), QStringLiteral("/opt/x"), QStringLiteral("/usr/y")}},
    };
    for (const Case &c : cases) {
        LossWarning x = w;
        x.kind = c.kind;
        c.fill(x);
        QStringList seen;
        for (int lang = 0; lang < 5; ++lang) {
            const QString text = lossWarningText(x, lang);
            EXPECT_TRUE(text.contains(QStringLiteral("12"))) << text.toStdString();
            EXPECT_FALSE(text.contains(QLatin1Char('%'))) << "a placeholder left: " << text.toStdString();
            for (const QString &fact : c.facts)
                EXPECT_TRUE(text.contains(fact)) << fact.toStdString() << " in " << text.toStdString();
            EXPECT_FALSE(seen.contains(text)) << "two languages share " << text.toStdString();
            seen << text;
        }
    }
}
