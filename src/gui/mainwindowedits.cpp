// What an edit that reached the model means to the window: which slot the
// preview follows, whether to render again, and when the last upload's
// word leaves the status line.
#include "gui/mainwindow.h"
#include "gui/previewpanel.h"
#include "gui/setupmodel.h"
#include "gui/windowrendering.h"

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
            m_renderer->render();
        break;
    case SlotChange::Vertical:
        // Nothing the window renders, but the glyphs Send would carry.
        m_renderer->refreshPreview(true);
        break;
    case SlotChange::Play: // how the face plays the dots, not the dots
    case SlotChange::None:
        m_renderer->refreshPreview(false);
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
        m_renderer->render();
    if (change.model || change.brightness)
        clearStatus();
}

} // namespace glintag
