#include "gui/windowdrops.h"

#include "settings/setupfile.h"

#include <QApplication>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace glintag {

namespace {

// The one local file a drag carries, or nothing.
QString droppedFile(const QMimeData *mime)
{
    if (!mime || !mime->hasUrls() || mime->urls().size() != 1 || !mime->urls().first().isLocalFile())
        return QString();
    return mime->urls().first().toLocalFile();
}

} // namespace

WindowDrops::WindowDrops(QWidget *window) : QObject(window), m_window(window)
{
    window->setAcceptDrops(true);
    qApp->installEventFilter(this);
}

WindowDrops::Drop WindowDrops::dropFor(const QString &path, const QPoint &windowPos) const
{
    if (path.isEmpty())
        return Drop::None;
    if (QFileInfo(path).suffix().compare(QLatin1String(kSetupFileSuffix), Qt::CaseInsensitive) == 0)
        return Drop::Setup;
    return slotAt && slotAt(windowPos) >= 0 ? Drop::Picture : Drop::None;
}

bool WindowDrops::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return false;
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || (widget != m_window && !m_window->isAncestorOf(widget)))
        return false;
    auto *drop = static_cast<QDropEvent *>(event);
    const QString path = droppedFile(drop->mimeData());
    if (path.isEmpty())
        return false; // text and the like: the widget's own business
    const QPoint at = widget->mapTo(m_window, drop->position().toPoint());
    const Drop what = dropFor(path, at);
    if (what == Drop::None) {
        drop->ignore();
        return true;
    }
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    if (type == QEvent::Drop) {
        if (what == Drop::Setup && openSetup)
            openSetup(path);
        else if (what == Drop::Picture && loadPicture)
            loadPicture(slotAt(at), path);
    }
    return true;
}

} // namespace glintag
