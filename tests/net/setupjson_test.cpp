// The network's JSON for a setup: what goes out comes back the same.
#include "net/setupjson.h"

#include "files/picturefile.h"
#include "i18n/languages.h"
#include "support/setups.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

using namespace glintag;

namespace {

BadgeSetup withPicture(int slot, int width)
{
    BadgeSetup s = setupWithTexts({QStringLiteral("A"), QStringLiteral("B")});
    SlotSetup &p = s.slots[size_t(slot)];
    p.image = true;
    p.picture = makeBlankCanvas();
    for (int x = 0; x < width; x += 3)
        p.picture.setPixel(x, (x / 3) % kRowCount, 0xFFFFFFFFu);
    return s;
}

} // namespace

TEST(SetupJson, ASetupComesBackAsItWent)
{
    BadgeSetup odd = setupWithTexts({QStringLiteral("漢字 и ü"), QString(), QStringLiteral("three")});
    odd.slots[0].mode = listPosition(MoveMode::Animation);
    odd.slots[2].mode = kNoMoveMode;
    odd.slots[1].flash = odd.slots[1].border = odd.slots[2].vertical = true;
    odd.slots[3].alternate = odd.slots[4].alternate = true;
    odd.language = 3;
    odd.model = QLatin1String(kModelR2.name);
    odd.brightness = QStringLiteral("1");
    const struct {
        const char *what;
        BadgeSetup setup;
    } cases[] = {
        {"first start", defaultBadgeSetup()},
        {"odd one", odd},
        {"picture of 1 column", withPicture(0, 1)},
        {"picture of 4,096 columns", withPicture(5, kCanvasWidth)},
    };
    for (const auto &c : cases) {
        QString error;
        const auto back = setupFromJson(setupToJson(c.setup), defaultBadgeSetup(), &error);
        ASSERT_TRUE(back) << c.what << ": " << error.toStdString();
        EXPECT_EQ(*back, c.setup) << c.what;
    }
}

TEST(SetupJson, TheTextLimitIsInBytes)
{
    const struct {
        QString text;
        bool taken;
    } cases[] = {
        {QString(1024, QLatin1Char('A')), false},
        {QString(341, QChar(0x6F22)), true},  // 1,023 bytes in UTF-8
        {QString(342, QChar(0x6F22)), false}, // 1,026
    };
    for (const auto &c : cases) {
        QString error;
        EXPECT_EQ(
            bool(textOnlySetup(defaultBadgeSetup(), c.text, QJsonValue::Undefined, QJsonValue::Undefined, &error)),
            c.taken)
            << c.text.size();
    }
}

TEST(SetupJson, LeftOutSlotsAreEmptyAndUnselected)
{
    QString error;
    // Before, every slot holds a text and all but slot 1 are selected:
    // listing slot 1 shows it, and the slots left out are cleared.
    BadgeSetup before = defaultBadgeSetup();
    before.slots[0].select = false;
    const QJsonObject json{{QStringLiteral("slots"), QJsonArray{QJsonObject{{QStringLiteral("text"), "ONE"}}}}};
    const auto setup = setupFromJson(json, before, &error);
    ASSERT_TRUE(setup) << error.toStdString();
    EXPECT_EQ(setup->slots[0].text, QStringLiteral("ONE"));
    EXPECT_TRUE(setup->slots[0].select);
    for (int i = 1; i < kSlotCount; ++i) {
        EXPECT_FALSE(setup->slots[size_t(i)].select) << i;
        EXPECT_TRUE(setup->slots[size_t(i)].text.isEmpty()) << i;
    }
}

// The schema handed to users names what the code takes, no more, no less.
TEST(SetupJson, TheSchemaFileAgreesWithTheCode)
{
    QFile file(QStringLiteral(GLINTAG_SOURCE_DIR "/data/glintag-setup.schema.json"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QJsonObject schema = QJsonDocument::fromJson(file.readAll()).object();
    const QJsonObject top = schema["properties"].toObject(), slot = schema["$defs"]["slot"]["properties"].toObject();
    QStringList modes, models, schemaModes;
    for (const MoveModeFacts &m : kMoveModes)
        modes << QLatin1String(m.name);
    for (const BadgeModel &m : kBadgeModels)
        models << QLatin1String(m.name);
    for (const QJsonValue &v : slot["mode"]["enum"].toArray())
        if (!v.isNull())
            schemaModes << v.toString();
    EXPECT_EQ(schemaModes, modes);
    EXPECT_EQ(top["model"]["enum"].toVariant().toStringList(), models);
    EXPECT_EQ(top["language"]["enum"].toVariant().toStringList(), uiLanguageCodes());
    EXPECT_EQ(top["slots"]["maxItems"].toInt(), kSlotCount);
    EXPECT_EQ(slot["speed"]["maximum"].toInt(), kSpeedMax);
    EXPECT_EQ(top["brightness"]["maximum"].toInt(), kBrightnessMax);
    // Every key of a slot the code writes is one the schema allows.
    const QJsonObject written = setupToJson(withPicture(0, 8));
    for (const QString &key : written.keys())
        EXPECT_TRUE(top.contains(key)) << key.toStdString();
    for (const QString &key : written["slots"][0].toObject().keys())
        EXPECT_TRUE(slot.contains(key)) << key.toStdString();
}
