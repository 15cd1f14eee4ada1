#pragma once

#include "badge/rendering.h"

#include <QObject>
#include <QString>

class QTimer;

namespace glintag {

class GaugeStrip;
class PreviewPanel;
class SetupModel;
class StatusRow;

// The window's rendering of the model's setup and what shows it: the memory
// gauge, the bytes-per-row figure and the preview. The first rendering comes
// from a one-shot timer once start-up has returned. It is not responsible
// for deciding when an edit renders: the window does, by what changed.
class WindowRendering : public QObject {
public:
    WindowRendering(const SetupModel &model, QString programDir, GaugeStrip &gauge, StatusRow &status,
                    PreviewPanel &preview, QObject *parent);

    const Rendering &rendering() const { return m_rendering; }
    int runs() const { return m_runs; }
    QTimer *firstRenderTimer() const { return m_firstRender; }

    // Renders the model's setup and shows it.
    void render();
    // Shows a rendering made elsewhere (what an upload is sending) as the
    // window's own.
    void show(const Rendering &rendering);
    // The preview again with the rendering it shows, for a change of how
    // the face plays the dots (speed, mode, Flash, Alternate), not of the dots.
    void refreshPreview();

private:
    const SetupModel &m_model;
    QString m_programDir;
    GaugeStrip &m_gauge;
    StatusRow &m_status;
    PreviewPanel &m_preview;
    QTimer *m_firstRender = nullptr;
    Rendering m_rendering;
    int m_runs = 0;
};

} // namespace glintag
