#pragma once

#include <QImage>
#include <QString>

#include <functional>
#include <memory>

namespace glintag {

struct BadgeModel;
class Dialogs;
class SlotRow;

// Loading a picture onto a slot's canvas and saving a canvas as a bitmap,
// through the window's file dialogs, which open where the last picture
// came from or went to.
class PictureFiles {
public:
    // `busy` says an upload holds the port: no picture may change then.
    PictureFiles(std::shared_ptr<Dialogs> dialogs, std::function<bool()> busy);

    // True when a picture went onto the row's canvas, shown from its start.
    // The dialog's filters are worded in the interface language. An
    // animated GIF loaded into slot 1 may become its animation frames, as
    // wide as the model's face.
    bool load(SlotRow &row, int uiLanguage, const BadgeModel &model);
    // The same for a file already chosen (a picture dropped on the row).
    bool loadFile(SlotRow &row, const QString &name, int uiLanguage, const BadgeModel &model);
    void save(const SlotRow &row);
    // A canvas made in the window (the dot editor, an animation) goes onto
    // the row as a loaded picture does; refused, with the same message,
    // while an upload holds the port.
    bool put(SlotRow &row, const QImage &canvas);

    QString folder() const { return m_folder; }
    void setFolder(const QString &folder) { m_folder = folder; }

private:
    bool loadAnimation(SlotRow &row, const QString &name, int uiLanguage, const BadgeModel &model);

    std::shared_ptr<Dialogs> m_dialogs;
    std::function<bool()> m_busy;
    QString m_folder;
};

} // namespace glintag
