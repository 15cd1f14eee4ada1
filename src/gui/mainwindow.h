#pragma once

#include "badge/alternate.h"
#include "badge/badgesetup.h"
#include "badge/rendering.h"
#include "gui/dialogs.h"

#include "gui/uploadcontrol.h"
#include "link/portmap.h"
#include "link/uploader.h"
#include "protocol/uploadprogress.h"
#include "settings/keptsettings.h"

#include <QLocale>
#include <QWidget>

#include <functional>
#include <memory>

class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QTimer;

namespace glintag {

class ControlsFit;
class DocumentControl;
class EditReactions;
class GaugeStrip;
class PictureEditing;
class PictureFiles;
class PortList;
class PreviewPanel;
class SerialPort;
class SettingsKeeper;
class SettingsRow;
class SetupModel;
class SlotRow;
class SlotTable;
class StatusRow;
class WindowMenus;
class WindowPage;
class WindowRendering;

// What the window is given from outside, so tests can run it in a
// temporary folder and answer its dialogs.
struct MainWindowOptions {
    QString programDir;               // default: the executable's folder
    std::shared_ptr<Dialogs> dialogs; // default: real message boxes
    std::shared_ptr<SerialPort> port; // default: the machine's serial ports
    // The serial devices the system lists; the default asks the system.
    std::function<QStringList()> systemDevices;
    // The upload's clock (milliseconds) and how long a line may take no
    // data before the upload gives up; tests shorten both.
    std::function<qint64()> clock; // default: a monotonic timer
    qint64 stallLimitMs = kStallLimitMs;
    // Picks the interface language when no settings file exists yet.
    QLocale systemLocale = QLocale::system();
};

// The one window: the slot table, the settings row, the upload's controls,
// the memory gauge, the status row and the preview, on one page that
// scrolls when the screen is smaller and gives the preview any extra room.
// The rows write every change into the SetupModel; the window wires who
// listens to it. It is not responsible for rendering, the wire format or
// the settings file's format: those live in the core.
class MainWindow : public QWidget {
public:
    explicit MainWindow(MainWindowOptions options = {});
    ~MainWindow() override;

    // The window's parts, for what looks at or drives them from outside
    // (tests, benchmarks); the window only composes and wires them.
    struct Parts {
        SlotTable &slotTable;
        SettingsRow &settingsRow;
        StatusRow &statusRow;
        PreviewPanel *preview; // under the gauge: strip, badge face, warnings
        QLabel *title;
        QLabel *gaugeCaption;
        GaugeStrip *memoryGauge;
        QProgressBar *progressBar;
        QPushButton *sendButton;
        QPushButton *exitButton;
        // The controls sit on the content, at their designed places; the
        // content and the preview make the page, which scrolls inside the
        // window when the screen is smaller than the page.
        QScrollArea *scroller;
        QScrollArea *slotArea; // the slot table's own, on a short screen
        WindowPage *page;
        QWidget *content;
        // The one setup: everything one upload should carry, as the rows wrote it.
        SetupModel &model;
        // The window's rendering, the gauge and the preview that show it.
        const WindowRendering &renderer;
        PictureEditing &pictureEditing;
        UploadControl &uploadControl;
        // The menu bar (mainwindowmenus.cpp); the setup files and undo steps.
        WindowMenus &menus;
        DocumentControl &documents;
    };
    Parts parts() const;
    SlotRow &slotRow(int i) const;
    bool settingsLoaded() const;

    // The window's size for a screen's available area: the whole content
    // where it fits, otherwise as much as fits, the rest scrolled to.
    void fitToScreen(const QSize &available);
    void applyLanguage();
    // The one busy question: Send, Load, closing and the port list ask it.
    bool isSending() const { return m_upload->isRunning(); }

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildControls();
    void wireEvents();
    void startUp();
    void onSendClicked();
    void buildMenus();
    void acceptDrops();

    QString m_programDir;
    std::shared_ptr<Dialogs> m_dialogs;
    QString m_settingsPath;
    std::function<QStringList()> m_systemDevices;
    QLocale m_systemLocale;
    std::unique_ptr<PictureFiles> m_pictures;
    std::unique_ptr<SettingsKeeper> m_kept;
    SetupModel *m_model = nullptr;
    PictureEditing *m_editing = nullptr;
    UploadControl *m_upload = nullptr;
    std::unique_ptr<PortList> m_ports;
    WindowRendering *m_renderer = nullptr;

    QScrollArea *m_scroller = nullptr;
    QScrollArea *m_slotArea = nullptr;
    std::unique_ptr<ControlsFit> m_fit;
    WindowPage *m_page = nullptr;
    QWidget *m_content = nullptr;
    QLabel *m_title = nullptr;
    SlotTable *m_slots = nullptr;
    SettingsRow *m_settingsRow = nullptr;
    QProgressBar *m_progressBar = nullptr;
    QPushButton *m_sendButton = nullptr, *m_exitButton = nullptr;
    QFrame *m_rule = nullptr;
    // The memory row.
    QLabel *m_gaugeCaption = nullptr;
    GaugeStrip *m_memoryGauge = nullptr;
    StatusRow *m_statusRow = nullptr;
    PreviewPanel *m_preview = nullptr;

    WindowMenus *m_menus = nullptr;
    DocumentControl *m_documents = nullptr;
    EditReactions *m_edits = nullptr;
};

} // namespace glintag
