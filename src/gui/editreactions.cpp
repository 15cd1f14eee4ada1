#include "gui/editreactions.h"

#include "gui/previewpanel.h"
#include "gui/settingsrow.h"
#include "gui/setupmodel.h"
#include "gui/slottable.h"
#include "gui/statusrow.h"
#include "gui/uploadcontrol.h"
#include "gui/windowrendering.h"

namespace glintag {

EditReactions::EditReactions(SetupModel &model, SlotTable &slots, SettingsRow &settingsRow, StatusRow &statusRow,
                             PreviewPanel &preview, WindowRendering &renderer, const UploadControl &upload,
                             std::function<void()> applyLanguage, QObject *parent) :
    QObject(parent),
    m_model(model), m_slots(slots), m_settingsRow(settingsRow), m_statusRow(statusRow), m_preview(preview),
    m_renderer(renderer), m_upload(upload), m_applyLanguage(std::move(applyLanguage))
{
    connect(&m_model, &SetupModel::slotChanged, this, [this](int i) { onSlotChanged(i); });
    connect(&m_model, &SetupModel::settingsChanged, this, [this] { onSettingsChanged(); });
    // What the last upload said stays until the user changes anything (the
    // port is no part of the setup).
    connect(&m_settingsRow, &SettingsRow::edited, this, [this] { clearStatus(); });
}

void EditReactions::putOnRows(const BadgeSetup &setup)
{
    m_puttingOnRows = true;
    m_slots.setSlots(setup.slots);
    m_settingsRow.takeSetup(setup);
    m_puttingOnRows = false;
    // Once, at the end, and even when the stored index equals the current
    // one and so raises no change.
    m_applyLanguage();
}

void EditReactions::showSetup(const BadgeSetup &setup)
{
    m_showingSetup = true;
    putOnRows(setup);
    m_showingSetup = false;
    // The one rendering of the whole setup: the slots and settings it
    // changed on the way rendered nothing.
    m_renderer.render();
}

void EditReactions::onSlotChanged(int i)
{
    const SlotChange change = m_model.lastSlotChange();
    // A whole setup put on the rows is no edit of its last slot.
    if (change != SlotChange::Play && m_settingsLoaded && !m_showingSetup)
        m_preview.setWorkingSlot(i);
    // A whole setup put on the rows renders once when it is all there.
    if (m_showingSetup) {
        clearStatus();
        return;
    }
    switch (change) {
    case SlotChange::Dots:
    // Vertical writing draws other glyphs, so the gauge must count them too.
    case SlotChange::Vertical:
        if (m_settingsLoaded)
            m_renderer.render();
        break;
    case SlotChange::Play: // how the face plays the dots, not the dots
    case SlotChange::None:
        m_renderer.refreshPreview();
        break;
    }
    clearStatus(); // what the last upload said stays until the user changes anything
}

void EditReactions::onSettingsChanged()
{
    const SettingsChange change = m_model.lastSettingsChange();
    // A whole setup put on the rows speaks its language once at the end.
    if (change.language && !m_puttingOnRows)
        m_applyLanguage(); // re-words the status rather than clearing it
    if (change.brightness)
        m_preview.setBrightness(m_model.setup().brightness);
    if (!m_showingSetup) {
        // The code page and the font files follow the language, so it
        // changes what each slot's text takes on the badge.
        if ((change.model || change.language) && m_settingsLoaded)
            m_renderer.render();
    }
    if (change.model || change.brightness)
        clearStatus();
}

void EditReactions::clearStatus()
{
    if (m_settingsLoaded && !m_upload.isRunning())
        m_statusRow.clear();
}

} // namespace glintag
