// Badge > Ports ticks more ports: one rendering to each at once, a result
// per port in the status line, and with none ticked the one-port upload.
#include "support/windowfixture.h"

#include "gui/uploadcontrol.h"
#include "gui/windowmenus.h"
#include "i18n/menutexts.h"
#include "i18n/statustexts.h"
#include "protocol/uploadstream.h"

#include <QAction>
#include <QMenu>
#include <QRegularExpression>

using namespace glintag;

namespace {

// Opens Badge > Ports as the user would and sets "Also send to `port`".
// False when the menu offers no such entry.
bool tickAlso(MainWindow &w, const QString &port, bool on)
{
    QMenu *menu = w.parts().menus.portsMenu();
    Q_EMIT menu->aboutToShow();
    const QString text = menuTexts(w.parts().settingsRow.languageBox()->currentIndex()).alsoSendTo.arg(port);
    for (QAction *a : menu->actions())
        if (a->text() == text) {
            a->setChecked(on);
            return true;
        }
    return false;
}

} // namespace

using MultiPortTest = PtyWindowTest;

TEST_F(MultiPortTest, TickedPortsEachGetTheOnePortStreamAndUntickingGoesBackToOnePort)
{
    Pty a, b;
    auto w = windowOn({&a, &b}, QStringLiteral("HELLO"));

    // The Port box's port is ticked as ever and is never offered as an extra.
    QMenu *menu = w->parts().menus.portsMenu();
    Q_EMIT menu->aboutToShow();
    QStringList ticked;
    for (QAction *a : menu->actions())
        if (a->isChecked())
            ticked << a->text();
    EXPECT_EQ(ticked, QStringList{QStringLiteral("COM7")});
    EXPECT_FALSE(tickAlso(*w, QStringLiteral("COM7"), true));

    // One port: the real serial port carries exactly the snapshot's stream.
    EXPECT_EQ(w->parts().settingsRow.portBox()->itemData(0, Qt::ToolTipRole).toString(), a.slavePath());
    w->parts().sendButton->click();
    waitForUpload(*w);
    EXPECT_FALSE(w->parts().uploadControl.probePort().isOpen());
    const QByteArray one = uploadStream(w->parts().uploadControl.snapshot());
    ASSERT_EQ(a.read(one.size() + 1).toHex(' '), one.toHex(' '));
    EXPECT_TRUE(statusLine(*w).startsWith(QStringLiteral("Sent %1 bytes in ").arg(one.size())))
        << statusLine(*w).toStdString();

    ASSERT_TRUE(tickAlso(*w, QStringLiteral("COM8"), true));
    w->parts().sendButton->click();
    EXPECT_TRUE(w->isSending());
    EXPECT_FALSE(w->parts().statusRow.stopButton()->isHidden());
    w->parts().sendButton->click(); // busy, as for one port
    waitForUpload(*w);
    ASSERT_EQ(dialogs->shown.size(), 1u);
    EXPECT_EQ(dialogs->shown.front().text, QStringLiteral("Sending!"));
    EXPECT_EQ(a.read(one.size() + 1).toHex(' '), one.toHex(' '));
    EXPECT_EQ(b.read(one.size() + 1).toHex(' '), one.toHex(' '));
    const QRegularExpression both(
        QStringLiteral("^COM7 sent %1 bytes in [0-9.]+ s; COM8 sent %1 bytes in [0-9.]+ s$").arg(one.size()));
    EXPECT_TRUE(both.match(statusLine(*w)).hasMatch()) << statusLine(*w).toStdString();
    EXPECT_EQ(w->parts().progressBar->value(), 0);
    EXPECT_TRUE(w->parts().statusRow.stopButton()->isHidden());

    // Stop ends every port's part.
    w->parts().sendButton->click();
    w->parts().statusRow.stopButton()->click();
    EXPECT_FALSE(w->isSending());
    EXPECT_FALSE(w->parts().menus.stop->isEnabled());
    bool anyLeft = false;
    for (const PortResult &r : w->parts().uploadControl.results()) {
        EXPECT_TRUE(r.outcome.upload.cancelled) << r.port.toStdString();
        anyLeft = anyLeft || r.outcome.upload.bytesSent > 0;
    }
    // The advice a stop to one port gives.
    EXPECT_TRUE(statusLine(*w).endsWith(anyLeft ? QStringLiteral("the badge may now hold part of a message")
                                                : QStringLiteral("the badges are unchanged")))
        << statusLine(*w).toStdString();
    a.read(one.size()), b.read(one.size()); // whatever got out before the stop

    // Unticked again: the one-port upload, not a send to a list of one.
    ASSERT_TRUE(tickAlso(*w, QStringLiteral("COM8"), false));
    EXPECT_TRUE(w->parts().menus.alsoPorts().isEmpty());
    w->parts().sendButton->click();
    waitForUpload(*w);
    EXPECT_EQ(a.read(one.size() + 1).toHex(' '), one.toHex(' '));
    EXPECT_TRUE(statusLine(*w).startsWith(QStringLiteral("Sent "))) << statusLine(*w).toStdString();
}

TEST_F(MultiPortTest, APortHungUpMidUploadEndsAloneAndTheStatusNamesBoth)
{
    Pty a, b;
    auto w = windowOn({&a, &b}, QStringLiteral("HELLO"));
    ASSERT_TRUE(tickAlso(*w, QStringLiteral("COM8"), true));
    hangUpOnFirstBytes(b);
    w->parts().sendButton->click();
    waitForUpload(*w);
    EXPECT_FALSE(w->isSending());
    const QList<PortResult> results = w->parts().uploadControl.results();
    ASSERT_EQ(results.size(), 2);
    const QByteArray got = a.read(int(results[0].outcome.upload.totalBytes));
    EXPECT_TRUE(got.startsWith("HellD"));

    // Each port's own words, and they follow the language box.
    EXPECT_EQ(results[0].outcome.upload.bytesSent, got.size());
    EXPECT_TRUE(results[1].outcome.upload.lineLost);
    w->parts().settingsRow.languageBox()->setCurrentIndex(UiKorean);
    const StatusTexts &t = statusTexts(UiKorean);
    const QString seconds = QString::number(double(results[0].outcome.upload.elapsedMs) / 1000.0, 'f', 1);
    EXPECT_EQ(statusLine(*w),
              t.portSent.arg(QStringLiteral("COM7"), QString::number(got.size()), seconds) + t.resultsJoin
                  + t.portGone.arg(QStringLiteral("COM8"), QString::number(results[1].outcome.upload.bytesSent)));
}
