#include "gui/picturefiles.h"

#include "badge/dotcanvas.h"
#include "badge/movemode.h"
#include "files/animatedgif.h"
#include "files/picturefile.h"
#include "gui/dialogs.h"
#include "gui/slotrow.h"
#include "gui/stripwidgets.h"
#include "i18n/editortexts.h"
#include "i18n/statustexts.h"

#include <QComboBox>
#include <QFileInfo>

namespace glintag {

PictureFiles::PictureFiles(std::shared_ptr<Dialogs> dialogs, std::function<bool()> busy) :
    m_dialogs(std::move(dialogs)), m_busy(std::move(busy))
{}

bool PictureFiles::load(SlotRow &row, int uiLanguage, const BadgeModel &model)
{
    if (m_busy()) {
        m_dialogs->message(QStringLiteral("Sending!"), QStringLiteral("Waits"), Dialogs::Buttons::Ok);
        return false;
    }
    // The loader goes by the content, so "All files" opens a picture with any name.
    const QString name = m_dialogs->openFileName(
        QStringLiteral("Picture(*.bmp;*.png;*.gif;*.jpg;*.jpeg;*.jpe;*.ico)|*.bmp;*.png;*.gif;*.jpg;*.jpeg;*.jpe;*.ico"
                       "|%1(*)|*")
            .arg(statusTexts(uiLanguage).allFiles),
        m_folder);
    if (name.isEmpty())
        return false;
    return loadFile(row, name, uiLanguage, model);
}

bool PictureFiles::loadFile(SlotRow &row, const QString &name, int uiLanguage, const BadgeModel &model)
{
    if (m_busy()) {
        m_dialogs->message(QStringLiteral("Sending!"), QStringLiteral("Waits"), Dialogs::Buttons::Ok);
        return false;
    }
    m_folder = QFileInfo(name).absolutePath();
    // Only slot 1 plays frames; a still GIF loads as any picture does.
    if (const int frames = row.slot() == 0 ? gifFrameCount(name) : 0; frames > 1) {
        const EditorTexts &t = editorTexts(uiLanguage);
        const Dialogs::Answer answer
            = m_dialogs->message(t.gifQuestion.arg(frames).arg(maxFrames(model)), t.gifTitle, Dialogs::Buttons::YesNo);
        if (answer == Dialogs::Answer::Yes)
            return loadAnimation(row, name, uiLanguage, model);
    }
    QImage canvas = row.canvas()->canvas();
    QString reason;
    if (!loadPictureOntoCanvas(name, canvas, &reason)) {
        m_dialogs->message(QStringLiteral("Open picture fail!"), QStringLiteral("Error"), Dialogs::Buttons::Ok,
                           QStringLiteral("%1: %2").arg(name, reason));
        return false;
    }
    row.showPicture(canvas);
    return true;
}

bool PictureFiles::loadAnimation(SlotRow &row, const QString &name, int uiLanguage, const BadgeModel &model)
{
    GifAnimation animation;
    QString reason;
    if (!loadGifAnimation(name, frameWidth(model), &animation, &reason)) {
        m_dialogs->message(QStringLiteral("Open picture fail!"), QStringLiteral("Error"), Dialogs::Buttons::Ok,
                           QStringLiteral("%1: %2").arg(name, reason));
        return false;
    }
    row.modeBox()->setCurrentIndex(listPosition(MoveMode::Animation));
    row.showPicture(animation.canvas);
    if (animation.framesInFile > animation.framesPlaced) {
        const EditorTexts &t = editorTexts(uiLanguage);
        m_dialogs->message(t.gifCapped.arg(animation.framesInFile).arg(animation.framesPlaced).arg(frameWidth(model)),
                           t.gifTitle, Dialogs::Buttons::Ok);
    }
    return true;
}

bool PictureFiles::put(SlotRow &row, const QImage &canvas)
{
    if (m_busy()) {
        m_dialogs->message(QStringLiteral("Sending!"), QStringLiteral("Waits"), Dialogs::Buttons::Ok);
        return false;
    }
    row.showPicture(canvas);
    return true;
}

void PictureFiles::save(const SlotRow &row)
{
    const QString name
        = m_dialogs->saveFileName(QStringLiteral("Picture(*.bmp)|*.bmp"), QStringLiteral("bmp"), m_folder);
    if (name.isEmpty())
        return;
    m_folder = QFileInfo(name).absolutePath();
    QString reason;
    if (!saveCanvasAsBmp(row.canvas()->canvas(), name, &reason))
        m_dialogs->message(QStringLiteral("Save picture fail!"), QStringLiteral("Error"), Dialogs::Buttons::Ok,
                           QStringLiteral("%1: %2").arg(name, reason));
}

} // namespace glintag
