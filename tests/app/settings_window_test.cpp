#include "windowfixture.h"

#include "settings/profilefile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

using namespace glintag;

namespace {

QString iniPath(const QString &dir) { return dir + QStringLiteral("/Nvq.ini"); }

ProfileFile readIni(const QString &dir)
{
    ProfileFile f;
    f.load(iniPath(dir));
    return f;
}

} // namespace

using SettingsWindow = WindowTest;

TEST_F(SettingsWindow, EverythingTheUserSetComesBackAfterARestart)
{
    {
        auto w = makeWindow();
        for (int i = 0; i < kSlotCount; ++i) {
            w->row(i).text->setText(QStringLiteral("slot %1 文字 ✓").arg(i));
            w->row(i).select->setChecked(i % 2);
            w->row(i).speed->setCurrentIndex(i % 8);
            w->row(i).mode->setCurrentIndex(i == 0 ? 7 : i % 7);
            w->row(i).flash->setChecked(i % 3 == 0);
            w->row(i).border->setChecked(i % 4 == 1);
            w->row(i).image->setChecked(i % 5 == 2);
            w->row(i).vertical->setChecked(i % 6 == 3);
        }
        w->languageBox->setCurrentIndex(2);
        for (int i : {9, 10, 11})
            w->row(i).alternate->setChecked(true);
        EXPECT_TRUE(w->close());
    }
    auto w = makeWindow();
    EXPECT_EQ(w->renderRuns(), 0);
    for (int i = 0; i < kSlotCount; ++i) {
        EXPECT_EQ(w->row(i).text->text(), QStringLiteral("slot %1 文字 ✓").arg(i));
        EXPECT_EQ(w->row(i).select->isChecked(), bool(i % 2)) << i;
        EXPECT_EQ(w->row(i).speed->currentIndex(), i % 8) << i;
        EXPECT_EQ(w->row(i).mode->currentIndex(), i == 0 ? 7 : i % 7) << i;
        EXPECT_EQ(w->row(i).flash->isChecked(), i % 3 == 0) << i;
        EXPECT_EQ(w->row(i).border->isChecked(), i % 4 == 1) << i;
        EXPECT_EQ(w->row(i).image->isChecked(), i % 5 == 2) << i;
        EXPECT_EQ(w->row(i).text->isHidden(), i % 5 == 2) << "a restored Image tick shows the picture strip";
        EXPECT_EQ(w->row(i).vertical->isChecked(), i % 6 == 3) << i;
        EXPECT_EQ(w->row(i).alternate->isChecked(), i >= 9 && i <= 11) << i;
        EXPECT_EQ(w->row(i).alternate->isEnabled(), i <= 12) << i;
    }
    EXPECT_EQ(w->languageBox->currentIndex(), 2);
    EXPECT_EQ(w->row(0).mode->itemText(7), QStringLiteral("アニメーション")) << "the stored language was applied";
}

TEST_F(SettingsWindow, CloseWritesTheGroupAsTheBoxesShowItAndKeepsOtherSections)
{
    writeSettings("; kept as it is\n[Ports]\nCOM7=/dev/ttyUSB9\n[Mine]\nanswer=42\n[Alternate]\nAlternateBeginMsg=2\n"
                  "AlternateMsgNum=4\n");
    auto w = makeWindow();
    EXPECT_TRUE(w->row(5).alternate->isChecked());
    w->row(3).alternate->setChecked(false);   // cuts the run down to slot index 2 alone
    w->close();
    const ProfileFile f = readIni(programDir());
    EXPECT_EQ(f.readInt(QStringLiteral("Alternate"), QStringLiteral("AlternateBeginMsg"), -1), 2);
    EXPECT_EQ(f.readInt(QStringLiteral("Alternate"), QStringLiteral("AlternateMsgNum"), -1), 1);
    EXPECT_EQ(f.readString(QStringLiteral("Ports"), QStringLiteral("COM7"), QString()), QStringLiteral("/dev/ttyUSB9"));
    EXPECT_EQ(f.readInt(QStringLiteral("Mine"), QStringLiteral("answer"), 0), 42);
    EXPECT_TRUE(f.toBytes().startsWith("; kept as it is"));
    EXPECT_EQ(f.readString(QStringLiteral("Message3"), QStringLiteral("Message3Text"), QString()),
              QStringLiteral("MESSAGE3"));
}
