// Writes a picture of the dot editor in each interface language: slot 1 in
// Animation on an R1 badge, three frames drawn, the heart icon chosen and
// some text in the Text tool; and the photo dialog:
//   QT_QPA_PLATFORM=offscreen build/bin/glintag_editorshot /tmp/shots
#include "badge/dotcanvas.h"
#include "badge/movemode.h"
#include "files/icons.h"
#include "gui/doteditordialog.h"
#include "gui/dotgrid.h"
#include "gui/mainwindow.h"
#include "gui/photodialog.h"
#include "gui/pictureediting.h"
#include "gui/settingsrow.h"
#include "gui/slotrow.h"
#include "gui/stripwidgets.h"
#include "gui/texttool.h"
#include "i18n/languages.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>

#include <cstdlib>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QDir().mkpath(out);
    glintag::MainWindowOptions options;
    options.programDir = QDir::tempPath(); // never touch a real settings file
    options.systemDevices = [] { return QStringList(); };
    const char *names[] = {"zh-CN", "zh-TW", "ja", "ko", "en"};
    for (int lang = 0; lang < glintag::kUiLanguageCount; ++lang) {
        glintag::MainWindow w(options);
        w.parts().settingsRow.languageBox()->setCurrentIndex(lang);
        w.parts().settingsRow.modelBox()->setCurrentText(QStringLiteral("R1"));
        w.slotRow(0).modeBox()->setCurrentIndex(glintag::listPosition(glintag::MoveMode::Animation));
        w.slotRow(0).imageBox()->setChecked(true);
        // Three frames: a heart growing from a dot.
        QImage canvas(glintag::kCanvasWidth, glintag::kCanvasHeight, QImage::Format_RGB32);
        canvas.fill(glintag::kUnlitPixel);
        w.slotRow(0).showPicture(canvas);
        w.parts().pictureEditing.open(0);
        glintag::DotEditorDialog *editor = w.parts().pictureEditing.editor();
        editor->resize(1000, 460);
        glintag::DotGrid &grid = *editor->grid();
        grid.edit([](QImage &c) {
            glintag::setDot(c, 19, 6, true);
            glintag::drawRect(c, {57, 4}, {62, 8}, true);
            glintag::stampIcon(c, *glintag::findIcon(QStringLiteral("heart")), 94);
        });
        grid.setCursor({60, 6});
        editor->iconBox()->setCurrentText(QStringLiteral("star"));
        editor->textTool()->textBox()->setText(QStringLiteral("Hi 你好 ★"));
        editor->show();
        app.processEvents();
        editor->button(glintag::DotEditorDialog::Fit)->click();
        app.processEvents();
        editor->grab().save(QStringLiteral("%1/editor-%2.png").arg(out, QLatin1String(names[lang])));
        editor->reject();

        // The photo dialog over a dusky picture that lights nothing as loaded.
        QImage photo(glintag::kCanvasWidth, glintag::kCanvasHeight, QImage::Format_RGB32);
        photo.fill(Qt::black);
        for (int y = 0; y < glintag::kCanvasHeight; ++y)
            for (int x = 0; x < 96; ++x)
                photo.setPixel(x, y, qRgb(std::abs(x - 48) + y * 4, 60 + x, 120 + y * 8));
        glintag::PhotoDialog offer(&w, 2, photo, lang);
        offer.show();
        app.processEvents();
        offer.grab().save(QStringLiteral("%1/photo-%2.png").arg(out, QLatin1String(names[lang])));
    }
    return 0;
}
