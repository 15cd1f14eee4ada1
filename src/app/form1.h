#pragma once

#include "alternate.h"
#include "dialogs.h"
#include "render/dotbuffer.h"

#include "link/portmap.h"

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
class QPushButton;
class QScrollBar;
class QTimer;

namespace glintag {

class CanvasBox;
class GaugeStrip;
struct ColumnLayout;
class SerialPort;
class Uploader;

// What the window is given from outside, so tests can run it in a
// temporary folder and answer its dialogs.
struct Form1Options {
    QString programDir;                   // default: the executable's folder
    std::shared_ptr<Dialogs> dialogs;     // default: real message boxes
    std::shared_ptr<SerialPort> port;     // default: the machine's serial ports
    // The serial devices the system lists; the default asks the system.
    std::function<QStringList()> systemDevices;
};

// The one window. Its controls are the model: every handler reads what it
// needs from them when it runs and hands plain values to the core.
class Form1 : public QWidget {
public:
    explicit Form1(Form1Options options = {});
    ~Form1() override;

    // The controls, named as the rest of the program speaks of them.
    std::array<QLineEdit *, kSlotCount> TxtMsg{};
    std::array<QCheckBox *, kSlotCount> ChkSel{}, ChkImg{}, ChkVShow{}, ChkFls{}, ChkRun{}, ChkAlt{};
    std::array<QComboBox *, kSlotCount> ComSpd{}, ComMod{};
    std::array<QFrame *, kSlotCount> Picture1{};
    std::array<CanvasBox *, kSlotCount> PicBox{};
    std::array<QScrollBar *, kSlotCount> HScroll1{};
    std::array<QPushButton *, kSlotCount> CmdLdPic{}, CmdSvPic{};

    QLabel *LblTitle = nullptr;
    QFrame *Frame9 = nullptr;
    QLabel *LblSelect = nullptr, *LblText = nullptr, *LblImage = nullptr, *LblVShw = nullptr, *LblSpeed = nullptr,
           *LblMode = nullptr, *LblFlash = nullptr, *LblLoopLamp = nullptr, *LblAlternate = nullptr;
    QLabel *LblLanguage = nullptr, *LblBright = nullptr, *LblType = nullptr, *LblPort = nullptr, *LblUseing = nullptr;
    QComboBox *ComLanguage = nullptr, *ComBright = nullptr, *ComType = nullptr, *ComSele = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QPushButton *CmdSend = nullptr, *CmdExit = nullptr;
    QFrame *Line1 = nullptr;
    GaugeStrip *Picture2 = nullptr;
    QTimer *Timer1 = nullptr;
    SerialPort *MSComm1 = nullptr;

    bool SettingsLoaded = false;
    AlternateGroup alternateGroup;   // AlternateBeginMsg / AlternateMsgNum

    const DotBuffer &dotBuffer() const { return m_dots; }
    const RowBytes &rowBytes() const { return m_rowBytes; }
    int renderRuns() const { return m_renderRuns; }
    QString programDir() const { return m_programDir; }
    Dialogs &dialogs() { return *m_dialogs; }

    void RefreshMessageData();
    void FindAlternateGroup();
    void SetSlotImageMode(int i);
    void PanSlotPicture(int i);
    void LoadSlotPicture(int i);
    void SaveSlotPicture(int i);
    void ApplyUiLanguage();
    void ArrangeColumns();
    void ScanSerialPorts();
    bool ReadComSet();
    void Sending();
    void SaveSettings();

    QString settingsPath() const { return m_settingsPath; }
    const PortMap &portMap() const { return m_portMap; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void buildSlotRow(int i);
    void wireEvents();
    void startUp();
    void LoadSettings();
    void onSlotChanged(int i);
    void onTimer1();
    void onCmdSend();
    void placeColumns(const ColumnLayout &layout);
    QString openFailureDetail() const;

    QString m_programDir;
    std::shared_ptr<Dialogs> m_dialogs;
    QString m_settingsPath;
    PortMap m_portMap;
    std::shared_ptr<SerialPort> m_port;
    Uploader *m_uploader = nullptr;   // set while an upload runs
    DotBuffer m_dots;
    RowBytes m_rowBytes{};
    int m_renderRuns = 0;
};

} // namespace glintag
