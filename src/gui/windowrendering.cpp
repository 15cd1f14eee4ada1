// When the window renders, and what the preview is shown after a change:
// every rendering of the window's slots goes through here.
#include "gui/mainwindow.h"
#include "gui/previewpanel.h"
#include "gui/setupmodel.h"
#include "gui/statusrow.h"
#include "gui/stripwidgets.h"

#include "render/messagebuilder.h"

#include <QTimer>

#include <numeric>

namespace glintag {

void MainWindow::onSlotChanged(int i)
{
    const SlotChange change = m_model->lastSlotChange();
    // A whole setup put on the rows is no edit of its last slot.
    if (change != SlotChange::Play && m_settingsLoaded && !m_applyingSetup)
        m_preview->setWorkingSlot(i);
    switch (change) {
    case SlotChange::Dots:
        if (m_settingsLoaded)
            renderSlots();
        break;
    case SlotChange::Vertical:
        // Nothing the window renders, but the glyphs Send would carry.
        refreshPreview(PreviewSource::FreshRendering);
        break;
    case SlotChange::Play: // how the face plays the dots, not the dots
    case SlotChange::None:
        refreshPreview(PreviewSource::WindowRendering);
        break;
    }
    clearStatus(); // what the last upload said stays until the user changes anything
}

void MainWindow::onSettingsChanged()
{
    const SettingsChange change = m_model->lastSettingsChange();
    if (change.language)
        applyLanguage(); // re-words the status rather than clearing it
    if (change.brightness)
        m_preview->setBrightness(m_model->setup().brightness);
    if (change.model && m_settingsLoaded)
        renderSlots();
    if (change.model || change.brightness)
        clearStatus();
}

void MainWindow::refreshPreview(PreviewSource source)
{
    // Before the first rendering there is nothing to show.
    if (m_renderRuns == 0)
        return;
    const BadgeSetup setup = badgeSetup();
    if (source == PreviewSource::WindowRendering) {
        m_preview->showSetup(setup, m_rendering);
        return;
    }
    // The window's own rendering and gauge stay as its last run left them;
    // the preview gets what Send, which renders afresh, would carry now.
    m_preview->showSetup(setup, renderSetup(setup, m_programDir));
}

void MainWindow::onFirstRenderTimer()
{
    renderSlots();
    m_firstRenderTimer->setInterval(0);
    m_firstRenderTimer->stop();
}

void MainWindow::renderSlots()
{
    renderSlots(badgeSetup());
}

void MainWindow::renderSlots(const BadgeSetup &setup)
{
    m_rendering = renderSetup(setup, m_programDir);
    showRendering(setup);
}

void MainWindow::showRendering(const BadgeSetup &setup)
{
    ++m_renderRuns;
    m_memoryGauge->setSpans(gaugeSpans(m_rendering.rendered));
    m_statusRow->setRowUse(std::accumulate(m_rendering.sent.begin(), m_rendering.sent.end(), 0));
    m_preview->showSetup(setup, m_rendering);
}

} // namespace glintag
