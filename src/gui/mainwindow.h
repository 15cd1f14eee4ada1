#pragma once

#include "badge/alternate.h"
#include "gui/dialogs.h"
#include "badge/badgesetup.h"
#include "badge/rendering.h"

#include "gui/uploadcontrol.h"
#include "link/portmap.h"
#include "link/uploader.h"
#include "protocol/uploadprogress.h"
#include "settings/keptsettings.h"

#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QProgressBar;
class QScrollArea;
class QPushButton;
class QScrollBar;
class QTimer;

namespace glintag {

class CanvasBox;
class GaugeStrip;
class PreviewPanel;
struct ColumnLayout;
class SerialPort;
struct PortScan;

// What the window is given from outside, so tests can run it in a
// temporary folder and answer its dialogs.
struct MainWindowOptions {
    QString programDir;                   // default: the executable's folder
    std::shared_ptr<Dialogs> dialogs;     // default: real message boxes
    std::shared_ptr<SerialPort> port;     // default: the machine's serial ports
    // The serial devices the system lists; the default asks the system.
    std::function<QStringList()> systemDevices;
    // The upload's clock (milliseconds) and how long a line may take no
    // data before the upload gives up; tests shorten both.
    std::function<qint64()> clock;          // default: a monotonic timer
    qint64 stallLimitMs = kStallLimitMs;
};

// One slot's row of controls. The row is the slot: its controls hold the
// slot's values and nothing else keeps a copy of them.
struct SlotRow {
    QCheckBox *select = nullptr;
    QLineEdit *text = nullptr;
    QCheckBox *image = nullptr;      // show the picture instead of the text
    QCheckBox *vertical = nullptr;   // vertical writing (East Asian layouts only)
    QComboBox *speed = nullptr;
    QComboBox *mode = nullptr;
    QCheckBox *flash = nullptr;
    QCheckBox *border = nullptr;     // the running border lamp ("Loop Lamp")
    QCheckBox *alternate = nullptr;
    // The picture side, shown in the text box's place when image is checked.
    QFrame *picture = nullptr;       // the sunken strip that clips the canvas
    CanvasBox *canvas = nullptr;     // the whole 4096 × 12 picture
    QScrollBar *pan = nullptr;
    QPushButton *load = nullptr;
    QPushButton *save = nullptr;
};

// The one window. Its controls are the model: every handler reads what it
// needs from them when it runs (as a BadgeSetup) and hands it to the core.
// It is not responsible for rendering, the wire format or the settings
// file's format: those live in the core.
class MainWindow : public QWidget {
public:
    explicit MainWindow(MainWindowOptions options = {});
    ~MainWindow() override;

    SlotRow &row(int i) { return m_rows[size_t(i)]; }
    const SlotRow &row(int i) const { return m_rows[size_t(i)]; }

    QLabel *title = nullptr;
    QFrame *slotFrame = nullptr;
    // Column headers above the slot rows.
    QLabel *selectHeader = nullptr, *textHeader = nullptr, *imageHeader = nullptr, *verticalHeader = nullptr,
           *speedHeader = nullptr, *modeHeader = nullptr, *flashHeader = nullptr, *borderHeader = nullptr,
           *alternateHeader = nullptr;
    // The settings row under the slots, and the memory row.
    QLabel *languageLabel = nullptr, *brightnessLabel = nullptr, *modelLabel = nullptr, *portLabel = nullptr,
           *gaugeCaption = nullptr;
    QComboBox *languageBox = nullptr, *brightnessBox = nullptr, *modelBox = nullptr, *portBox = nullptr;
    QProgressBar *progressBar = nullptr;
    QPushButton *sendButton = nullptr, *exitButton = nullptr;
    QFrame *rule = nullptr;
    GaugeStrip *memoryGauge = nullptr;
    // The row under the gauge: how the last upload went, and the Stop
    // button, shown only while one runs.
    QLabel *statusLine = nullptr;
    QPushButton *stopButton = nullptr;
    PreviewPanel *preview = nullptr;      // under the gauge: strip, badge face, warnings
    // Every control sits on `content`, which scrolls inside the window when
    // the screen is smaller than the window.
    QScrollArea *scroller = nullptr;
    QWidget *content = nullptr;
    QTimer *firstRenderTimer = nullptr;   // the one rendering after start-up
    SerialPort *badgePort = nullptr;      // the send job's port: open only while probing or sending

    bool settingsLoaded() const { return m_settingsLoaded; }
    const Rendering &rendering() const { return m_rendering; }
    const DotBuffer &dotBuffer() const { return m_rendering.dots; }
    const RowBytes &rowBytes() const { return m_rendering.rendered; }
    int renderRuns() const { return m_renderRuns; }
    QString programDir() const { return m_programDir; }
    Dialogs &dialogs() { return *m_dialogs; }

    // Everything the controls say one upload should carry, read now.
    BadgeSetup badgeSetup() const;
    AlternateGroup alternateGroup() const;

    void renderSlots();
    // The window's size for a screen's available area: the whole content
    // where it fits, otherwise as much as fits, the rest scrolled to.
    void fitToScreen(const QSize &available);
    void setSlotImageMode(int i);
    void panSlotPicture(int i);
    void loadSlotPicture(int i);
    void saveSlotPicture(int i);
    void applyLanguage();
    void scanPorts();
    // Ends a running upload at once and closes the port; nothing otherwise.
    void stopUpload();
    // The one busy question: Send, Load, closing and the port list ask it.
    bool isSending() const { return m_upload->isRunning(); }
    UploadControl &uploadControl() { return *m_upload; }
    // Shows a status in the status line, re-worded at each language change.
    void showUploadStatus(const UploadStatus &status);
    void saveSettings();
    // The port, the dialogs' folder and the pan positions, as kept.
    WindowChoices windowChoices() const;
    QString pictureFolder() const { return m_pictureFolder; }

    QString settingsPath() const { return m_settingsPath; }
    const PortMap &portMap() const { return m_upload->job().portMap(); }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void buildSlotRow(int i);
    void wireEvents();
    void startUp();
    void onSlotChanged(int i);
    void onSettingChanged();
    // The window's last rendering, or a fresh one for changes that render
    // nothing in the window but change what Send would carry.
    enum class PreviewSource { WindowRendering, FreshRendering };
    void refreshPreview(PreviewSource source);
    void onFirstRenderTimer();
    void onSendClicked();
    void applySetup(const BadgeSetup &setup);
    void applyChoices(const WindowChoices &choices);
    void rescanPorts();
    void fillPortList(const PortScan &scan);
    void rebuildPortMap();
    void setStatus(std::function<QString(int)> text, const QString &toolTip = QString());
    void clearStatus();
    void setToolTips();
    void chainTabOrder();
    void placeColumns(const ColumnLayout &layout);
    void fitTitleHeight();
    void renderSlots(const BadgeSetup &setup);
    // The gauge and the preview follow the window's dots and lengths.
    void showRendering(const BadgeSetup &setup);

    std::array<SlotRow, kSlotCount> m_rows{};
    bool m_settingsLoaded = false;
    QString m_programDir;
    std::shared_ptr<Dialogs> m_dialogs;
    QString m_settingsPath;
    std::function<QStringList()> m_systemDevices;
    QString m_pictureFolder;
    std::function<QString(int)> m_statusText;   // by language; null: nothing to say
    UploadControl *m_upload = nullptr;
    Rendering m_rendering;
    int m_renderRuns = 0;
};

} // namespace glintag
