#pragma once

#include <QObject>
#include <QPoint>
#include <QString>

#include <functional>

class QWidget;

namespace glintag {

// Files dropped anywhere on the window: a setup file opens, a picture on a
// slot row loads into that slot. It watches the window's widgets from the
// application, so a text box under the pointer never takes a file's name
// as text.
class WindowDrops : public QObject {
public:
    explicit WindowDrops(QWidget *window);

    // The slot whose row is at a point of the window, or -1.
    std::function<int(const QPoint &windowPos)> slotAt;
    std::function<bool(const QString &path)> openSetup;
    std::function<bool(int slot, const QString &path)> loadPicture;

    // What a file dropped at the point would do: a setup opens wherever it
    // lands; a picture needs a row.
    enum class Drop {
        None,
        Setup,
        Picture
    };
    Drop dropFor(const QString &path, const QPoint &windowPos) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_window;
};

} // namespace glintag
