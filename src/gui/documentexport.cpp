// Export preview…: the face playing one full round, as an animated GIF.
#include "gui/documentcontrol.h"
#include "gui/dialogs.h"
#include "gui/setupmodel.h"

#include "i18n/menutexts.h"
#include "preview/facegif.h"
#include "render/messagebuilder.h"

#include <QFileInfo>

namespace glintag {

namespace {

// Pixels per dot: the command line's default, lamps clearly round.
constexpr int kGifScale = 6;

} // namespace

bool DocumentControl::exportPreview(const QString &chosen)
{
    const int lang = language();
    const MenuTexts &t = menuTexts(lang);
    const QString path = chosen.isEmpty() ? m_dialogs.saveFileName(QStringLiteral("%1(*.gif)|*.gif").arg(t.gifFilter),
                                                                    QStringLiteral("gif"), folder())
                                          : chosen;
    if (path.isEmpty())
        return false;
    // What Send would carry now, as the preview plays it.
    const BadgeSetup &setup = m_model.setup();
    const FaceRound round = faceRound(setup, renderSetup(setup, m_window.programDir));
    QString reason;
    if (!writeFaceGif(round, path, kGifScale, &reason)) {
        m_dialogs.message(t.exportFailed, t.errorTitle, Dialogs::Buttons::Ok,
                           QStringLiteral("%1: %2").arg(path, reason));
        return false;
    }
    const QString name = QFileInfo(path).fileName();
    const int frames = int(round.frames.size());
    const double seconds = round.totalMs() / 1000.0;
    if (m_window.tellStatus)
        m_window.tellStatus([name, frames, seconds](int language) {
        return menuTexts(language).exported.arg(name).arg(frames).arg(seconds, 0, 'f', 1);
    });
    return true;
}

} // namespace glintag
