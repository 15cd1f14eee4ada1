// Writes a picture of the main window in each interface language, so a
// layout that is off by a column or a caption that is cut shows at a glance:
//   QT_QPA_PLATFORM=offscreen build/bin/glintag_windowshot /tmp/shots
// With screen sizes after the folder, the whole window as it opens on each
// such screen (less a 32-pixel panel and a title bar) instead, in every
// language; QT_SCALE_FACTOR=2 gives the screen at twice the scale:
//   QT_QPA_PLATFORM=offscreen build/bin/glintag_windowshot /tmp/shots 1366x768 1280x800
#include "gui/mainwindow.h"
#include "gui/previewpanel.h"
#include "gui/settingsrow.h"
#include "gui/slotrow.h"
#include "gui/slottable.h"
#include "gui/statusrow.h"
#include "gui/stripwidgets.h"
#include "i18n/captionfonts.h"
#include "i18n/languages.h"
#include "i18n/statustexts.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <QToolTip>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QDir().mkpath(out);
    glintag::MainWindowOptions options;
    options.programDir = QDir::tempPath();                // never touch a real settings file
    options.systemDevices = [] { return QStringList(); }; // nor open real ports
    glintag::MainWindow window(options);
    window.show();
    // A few picture strips and long move-mode names, so the Load and Save
    // captions and the narrow combo boxes are in the pictures too.
    for (int slot : {1, 4}) {
        window.slotRow(slot).imageBox()->setChecked(true);
        QImage canvas = window.slotRow(slot).canvas()->canvas();
        QPainter p(&canvas);
        for (int x = 0; x < 400; x += 6)
            p.fillRect(x, (x / 6) % 9, 3, 3, QColor(255, 64 * slot % 256, 0));
        p.end();
        window.slotRow(slot).canvas()->setCanvas(canvas);
    }
    window.slotRow(0).modeBox()->setCurrentIndex(7); // "Animation": only slot 0 has it
    for (int slot = 1; slot < 7; ++slot)
        window.slotRow(slot).modeBox()->setCurrentIndex(slot);
    QEventLoop loop;
    QTimer::singleShot(300, &loop, &QEventLoop::quit);
    loop.exec();
    // Something for each kind of warning but the font one: a green picture
    // that lights nothing, a slot the row limit cuts, and characters that
    // only some languages hold (typed last, so the strip shows them).
    window.slotRow(7).imageBox()->setChecked(true);
    QImage green = window.slotRow(7).canvas()->canvas();
    green.fill(Qt::black);
    QPainter(&green).fillRect(0, 2, 90, 8, QColor(0, 200, 0));
    window.slotRow(7).canvas()->setCanvas(green);
    window.slotRow(7).selectBox()->click();
    window.slotRow(7).selectBox()->click();
    window.slotRow(9).textBox()->setText(QString(440, QLatin1Char('W')));
    // A picture slot with nothing loaded.
    window.slotRow(11).imageBox()->setChecked(true);
    window.slotRow(2).textBox()->setText(QStringLiteral("Hi 你好 badge"));
    const char *names[] = {"simpchinese", "tradchinese", "japanese", "korean", "english"};
    if (argc > 2) {
        const qreal scale = window.devicePixelRatioF();
        for (int a = 2; a < argc; ++a) {
            const QStringList wh = QString::fromLatin1(argv[a]).split(QLatin1Char('x'));
            if (wh.size() != 2)
                return 2;
            const QSize screen(wh[0].toInt(), wh[1].toInt());
            window.fitToScreen(QSize(qRound(screen.width() / scale), qRound((screen.height() - 32) / scale)));
            for (int lang = 0; lang < 5; ++lang) {
                window.parts().settingsRow.languageBox()->setCurrentIndex(lang);
                for (int step = 0; step < 40; ++step)
                    window.parts().preview->stepFace();
                QCoreApplication::processEvents();
                const QString file
                    = QStringLiteral("%1/screen-%2%3-%4.png")
                          .arg(out, QLatin1String(argv[a]), scale > 1 ? QStringLiteral("-x%1").arg(scale) : QString(),
                               QLatin1String(names[lang]));
                if (!window.grab().save(file))
                    return 1;
            }
        }
        return 0;
    }
    auto shoot = [&](const QString &kind) {
        for (int lang = 0; lang < 5; ++lang) {
            window.parts().settingsRow.languageBox()->setCurrentIndex(lang);
            QCoreApplication::processEvents();
            const QString file = QStringLiteral("%1/%2-%3.png").arg(out, kind, QLatin1String(names[lang]));
            if (!window.parts().content->grab().save(file))
                return false;
        }
        return true;
    };
    for (const char *model : {"R1", "R2"}) {
        window.parts().settingsRow.modelBox()->setCurrentText(QLatin1String(model));
        for (int lang = 0; lang < 5; ++lang) {
            window.parts().settingsRow.languageBox()->setCurrentIndex(lang);
            for (int step = 0; step < 40; ++step)
                window.parts().preview->stepFace();
            QCoreApplication::processEvents();
            // The content, not the window: the window may be cut to the screen.
            const QString name = QStringLiteral("%1-%2").arg(QLatin1String(names[lang]), QLatin1String(model));
            if (!window.parts().content->grab().save(QStringLiteral("%1/window-%2.png").arg(out, name)))
                return 1;
            if (!window.parts().preview->grab().save(QStringLiteral("%1/preview-%2.png").arg(out, name)))
                return 1;
        }
    }
    // Every warning at once: the list shows only a few lines in the window.
    QListWidget *warnings = window.parts().preview->warningList();
    const QSize listSize = warnings->size();
    warnings->resize(listSize.width(), warnings->sizeHintForRow(0) * (warnings->count() + 1));
    for (int lang = 0; lang < 5; ++lang) {
        window.parts().settingsRow.languageBox()->setCurrentIndex(lang);
        QCoreApplication::processEvents();
        if (!warnings->grab().save(QStringLiteral("%1/warnings-%2.png").arg(out, QLatin1String(names[lang]))))
            return 1;
    }
    warnings->resize(listSize);

    // The status row in its longest states: mid-upload with Stop showing,
    // and a stopped upload.
    glintag::UploadStatus status;
    const auto showStatus = [&window](const glintag::UploadStatus &shown) {
        window.parts().statusRow.setStatus([shown](int lang) { return glintag::uploadStatusText(shown, lang); });
    };
    status.running = true;
    status.progress = glintag::uploadProgress(100 + 12 * 512, 3200, 412);
    showStatus(status);
    window.parts().statusRow.stopButton()->show();
    if (!shoot(QStringLiteral("sending")))
        return 1;
    window.parts().statusRow.stopButton()->hide();
    status.running = false;
    status.end = glintag::UploadEnd::Stopped;
    showStatus(status);
    if (!shoot(QStringLiteral("stopped")))
        return 1;
    // A stop before any byte left, and a line that has stood still.
    status.progress = glintag::uploadProgress(100 + 12 * 512, 0, 0);
    showStatus(status);
    if (!shoot(QStringLiteral("stopped-before-any")))
        return 1;
    status.running = true;
    status.progress = glintag::uploadProgress(100 + 12 * 512, 3200, 412);
    status.progress.quietSeconds = 4;
    showStatus(status);
    window.parts().statusRow.stopButton()->show();
    if (!shoot(QStringLiteral("still")))
        return 1;
    window.parts().statusRow.stopButton()->hide();

    // The preview's two Tab stops with the keyboard focus on each.
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    for (QWidget *stop : {static_cast<QWidget *>(window.parts().preview->stripArea()),
                          static_cast<QWidget *>(window.parts().preview->warningList())}) {
        stop->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
        if (!window.parts().preview->grab().save(
                QStringLiteral("%1/focus-%2.png").arg(out, QLatin1String(stop->metaObject()->className()))))
            return 1;
    }

    // Tooltips only show on hover, so each language's set is drawn as one
    // tooltip-styled sheet, in the fonts the window uses for that language.
    for (int lang = 0; lang < 5; ++lang) {
        const glintag::StatusTexts &t = glintag::statusTexts(lang);
        const QString tips[] = {t.languageTip, t.brightnessTip, t.modelTip,  t.portTip,   t.progressTip,  t.sendTip,
                                t.exitTip,     t.stopTip,       t.selectTip, t.textTip,   t.imageTip,     t.verticalTip,
                                t.speedTip,    t.modeTip,       t.flashTip,  t.borderTip, t.alternateTip, t.loadTip,
                                t.saveTip,     t.pictureTip,    t.panTip,    t.gaugeTip,  t.portAllowed};
        QLabel sheet;
        sheet.setText(QStringList(std::begin(tips), std::end(tips)).join(QLatin1Char('\n')));
        QFont f = window.font();
        const int charset = glintag::languageRecord(lang).charset;
        f.setFamilies(glintag::captionFamilies(charset, glintag::installedFaces(charset)));
        sheet.setFont(f);
        sheet.setPalette(QToolTip::palette());
        sheet.setAutoFillBackground(true);
        sheet.setMargin(4);
        sheet.adjustSize();
        if (!sheet.grab().save(QStringLiteral("%1/tooltips-%2.png").arg(out, QLatin1String(names[lang]))))
            return 1;
    }
    return 0;
}
