#pragma once

#include "badge/badgesetup.h"

#include <QObject>

#include <functional>

namespace glintag {

class PreviewPanel;
class SettingsRow;
class SetupModel;
class SlotTable;
class StatusRow;
class UploadControl;
class WindowRendering;

// What an edit that reached the model means to the window: which slot the
// preview follows, whether to render again, and when the last upload's
// word leaves the status line. It also puts whole setups on the rows, so
// that what the rows then report is not taken for the user's editing.
class EditReactions : public QObject {
public:
    EditReactions(SetupModel &model, SlotTable &slots, SettingsRow &settingsRow, StatusRow &statusRow,
                  PreviewPanel &preview, WindowRendering &renderer, const UploadControl &upload,
                  std::function<void()> applyLanguage, QObject *parent);

    // Until the stored settings are on the rows, nothing they report is an
    // edit: no render, no slot followed, the status kept.
    bool settingsLoaded() const { return m_settingsLoaded; }
    void setSettingsLoaded(bool loaded) { m_settingsLoaded = loaded; }

    // Puts a whole setup on the rows, each assignment raising its control's
    // event as a user's would, and speaks its language.
    void putOnRows(const BadgeSetup &setup);
    // The same for Open, New and Undo: not an edit of its last slot, and
    // rendered once at the end.
    void showSetup(const BadgeSetup &setup);

private:
    void onSlotChanged(int i);
    void onSettingsChanged();
    void clearStatus();

    SetupModel &m_model;
    SlotTable &m_slots;
    SettingsRow &m_settingsRow;
    StatusRow &m_statusRow;
    PreviewPanel &m_preview;
    WindowRendering &m_renderer;
    const UploadControl &m_upload;
    std::function<void()> m_applyLanguage;
    bool m_settingsLoaded = false;
    bool m_showingSetup = false;  // renders once at the end
    bool m_puttingOnRows = false; // speaks the language once at the end
};

} // namespace glintag
