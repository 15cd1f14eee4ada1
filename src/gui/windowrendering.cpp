// The window's rendering of the model: every rendering of the window's
// slots goes through here.
#include "gui/windowrendering.h"

#include "gui/previewpanel.h"
#include "gui/setupmodel.h"
#include "gui/statusrow.h"
#include "gui/stripwidgets.h"

#include "render/messagebuilder.h"

#include <QTimer>

#include <numeric>

namespace glintag {

WindowRendering::WindowRendering(const SetupModel &model, QString programDir, GaugeStrip &gauge, StatusRow &status,
                                 PreviewPanel &preview, QObject *parent) :
    QObject(parent),
    m_model(model), m_programDir(std::move(programDir)), m_gauge(gauge), m_status(status), m_preview(preview)
{
    m_firstRender = new QTimer(this);
    m_firstRender->setInterval(100);
    connect(m_firstRender, &QTimer::timeout, this, [this] {
        render();
        m_firstRender->setInterval(0);
        m_firstRender->stop();
    });
    m_firstRender->start();
}

void WindowRendering::refreshPreview()
{
    // Before the first rendering there is nothing to show.
    if (m_runs == 0)
        return;
    m_preview.showSetup(m_model.setup());
}

void WindowRendering::render()
{
    show(renderSetup(m_model.setup(), m_programDir));
}

void WindowRendering::show(const Rendering &rendering)
{
    m_rendering = rendering;
    ++m_runs;
    m_gauge.setSpans(gaugeSpans(m_rendering.rendered));
    m_status.setRowUse(std::accumulate(m_rendering.sent.begin(), m_rendering.sent.end(), 0));
    m_preview.showSetup(m_model.setup(), m_rendering);
}

} // namespace glintag
