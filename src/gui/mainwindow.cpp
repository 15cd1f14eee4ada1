#include "gui/mainwindow.h"

#include "gui/picturefiles.h"
#include "gui/previewpanel.h"
#include "gui/settingsrow.h"
#include "gui/slotrow.h"
#include "gui/slottable.h"
#include "gui/statusrow.h"
#include "gui/stripwidgets.h"
#include "gui/windowlayout.h"
#include "i18n/columnlayout.h"
#include "i18n/statustexts.h"
#include "link/portnames.h"
#include "link/serialport.h"
#include "settings/settings.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QFrame>
#include <QKeySequence>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

namespace glintag {

namespace {

// Window pixels: the gauge ends at 665, the status row lies under it, and
// the preview starts below that.
constexpr int kWindowWidth = 15030 / 15;
constexpr int kPreviewTop = 700;
constexpr int kContentHeight = kPreviewTop + PreviewPanel::kHeight + 6;

} // namespace

MainWindow::MainWindow(MainWindowOptions options) :
    m_programDir(options.programDir.isEmpty() ? QCoreApplication::applicationDirPath() : options.programDir),
    m_dialogs(options.dialogs ? options.dialogs : std::make_shared<WidgetDialogs>(this)),
    m_systemDevices(options.systemDevices ? options.systemDevices : [] { return systemSerialDevices(); })
{
    m_settingsPath = settingsFilePath(m_programDir);
    m_upload = new UploadControl(this, m_dialogs, options.port);
    if (options.clock)
        m_upload->job().setClock(options.clock);
    m_upload->job().setStallLimit(options.stallLimitMs);
    rebuildPortMap();
    m_pictures = std::make_unique<PictureFiles>(m_dialogs, [this] { return isSending(); });

    setWindowTitle(QStringLiteral("Glintag Ver 6.00"));
    setFont(QFont(QStringLiteral("Arial"), 9));
    m_content = new QWidget;
    m_content->setFixedSize(kWindowWidth, kContentHeight);
    m_scroller = new QScrollArea(this);
    m_scroller->setFrameShape(QFrame::NoFrame);
    m_scroller->setWidget(m_content);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_scroller);
    setMaximumSize(m_content->size());
    buildControls();
    wireEvents();
    chainTabOrder();

    m_firstRenderTimer = new QTimer(this);
    m_firstRenderTimer->setInterval(100);
    connect(m_firstRenderTimer, &QTimer::timeout, this, [this] { onFirstRenderTimer(); });
    m_firstRenderTimer->start();

    startUp();
    fitToScreen(screen()->availableGeometry().size());
}

void MainWindow::fitToScreen(const QSize &available)
{
    // Room for the title bar and frame, which the available area includes.
    constexpr int kFrameAllowance = 40;
    resize(m_content->size().boundedTo(available - QSize(0, kFrameAllowance)));
}

MainWindow::~MainWindow() = default;

SlotRow &MainWindow::slotRow(int i) const
{
    return m_slots->row(i);
}

void MainWindow::buildControls()
{
    m_title = makeLabel(m_content, QStringLiteral("     Glintag    "), px(120), 0, px(14775), px(465), Qt::AlignCenter);
    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setPointSizeF(20.25);
    titleFont.setBold(true);
    titleFont.setItalic(true);
    titleFont.setUnderline(true);
    m_title->setFont(titleFont);
    m_title->setStyleSheet(QStringLiteral("color: #0000ff"));

    m_slots = new SlotTable(m_content);
    m_slots->setGeometry(px(120), px(480), px(kSlotFrameWidth), px(8325));
    m_settingsRow = new SettingsRow(m_content);

    // The upload's controls, on the settings row's line.
    const int ct = px(SettingsRow::kTop);
    m_progressBar = new QProgressBar(m_content);
    m_progressBar->setGeometry(px(8760), ct, px(2415), px(375));
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(0);
    m_progressBar->setTextVisible(false);
    m_sendButton = new QPushButton(QStringLiteral("Send"), m_content);
    m_sendButton->setGeometry(px(11400), ct, px(1575), px(375));
    m_exitButton = new QPushButton(QStringLiteral("Exit"), m_content);
    m_exitButton->setGeometry(px(13200), ct, px(1575), px(375));

    m_rule = new QFrame(m_content);
    m_rule->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    m_rule->setGeometry(px(120), px(9570) - 1, px(14880) - px(120), 2);

    m_gaugeCaption = makeLabel(m_content, QStringLiteral("Memory Useing state :"), px(240), px(9720), px(2295), px(255),
                               Qt::AlignRight | Qt::AlignTop);
    m_memoryGauge = new GaugeStrip(m_content);
    m_memoryGauge->setGeometry(px(2880), px(9750), px(11580), px(225));
    // Beside the gauge's own parent, wherever that ends up.
    m_statusRow = new StatusRow(m_memoryGauge->parentWidget(), m_gaugeCaption->x(), m_memoryGauge->geometry().right());

    m_preview = new PreviewPanel(m_content);
    m_preview->setGeometry(px(120), kPreviewTop, px(14775), PreviewPanel::kHeight);
}

void MainWindow::wireEvents()
{
    connect(m_slots, &SlotTable::slotEdited, this, [this](int i) { onSlotChanged(i); });
    // These change how the face plays, not the dots.
    connect(m_slots, &SlotTable::playEdited, this, [this] { refreshPreview(PreviewSource::WindowRendering); });
    // Vertical writing renders nothing in the window, but it changes the
    // glyphs Send would carry.
    connect(m_slots, &SlotTable::verticalEdited, this, [this](int i) {
        if (m_settingsLoaded)
            m_preview->setWorkingSlot(i);
        refreshPreview(PreviewSource::FreshRendering);
    });
    connect(m_slots, &SlotTable::loadClicked, this, [this](int i) {
        if (m_pictures->load(slotRow(i)))
            renderSlots();
    });
    connect(m_slots, &SlotTable::saveClicked, this, [this](int i) { m_pictures->save(slotRow(i)); });
    connect(m_settingsRow, &SettingsRow::modelChanged, this, [this] { onSettingChanged(); });
    connect(m_settingsRow, &SettingsRow::languageChanged, this, [this] { applyLanguage(); });
    connect(m_settingsRow, &SettingsRow::portListOpening, this, [this] { rescanPorts(); });
    // The preview shows the slot whose row last had the focus.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        const int i = m_slots->slotHolding(now);
        if (m_settingsLoaded && i >= 0)
            m_preview->setWorkingSlot(i);
    });
    connect(m_sendButton, &QPushButton::clicked, this, [this] { onSendClicked(); });
    connect(m_exitButton, &QPushButton::clicked, this, [this] { close(); });
    m_upload->setWidgets(m_progressBar, m_statusRow->stopButton());
    connect(m_upload, &UploadControl::status, this, [this](const UploadStatus &s) { showUploadStatus(s); });

    // What the last upload said stays until the user changes anything.
    connect(m_slots, &SlotTable::slotEdited, this, [this] { clearStatus(); });
    connect(m_slots, &SlotTable::playEdited, this, [this] { clearStatus(); });
    connect(m_slots, &SlotTable::verticalEdited, this, [this] { clearStatus(); });
    connect(m_settingsRow, &SettingsRow::edited, this, [this] { clearStatus(); });

    auto *sendKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Return), this);
    connect(sendKey, &QShortcut::activated, this, [this] { onSendClicked(); });
    auto *sendKeyPad = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Enter), this);
    connect(sendKeyPad, &QShortcut::activated, this, [this] { onSendClicked(); });
}

void MainWindow::chainTabOrder()
{
    // Row by row, left to right as the columns stand, then the settings row.
    const QList<QWidget *> chain = m_slots->tabChain() + m_settingsRow->tabChain()
        + QList<QWidget *>{m_sendButton, m_statusRow->stopButton(), m_exitButton};
    for (int k = 1; k < chain.size(); ++k)
        QWidget::setTabOrder(chain[k - 1], chain[k]);
}

void MainWindow::startUp()
{
    m_settingsLoaded = false;
    // What a killed save left behind goes before anything is read.
    tidyKeptFolder(m_settingsPath);
    const StoredSettings stored = loadStoredSettings(m_settingsPath);
    applySetup(stored.setup);
    m_settingsLoaded = true;
    scanPorts();
    applyChoices(stored.window);

    // A picture that did not come back is worth a word, not a message box
    // in the way of the start.
    if (!stored.pictureProblems.empty()) {
        const std::vector<PictureProblem> problems = stored.pictureProblems;
        QStringList details;
        for (const PictureProblem &p : problems)
            details << QStringLiteral("%1: %2").arg(p.file, p.reason);
        setStatus(
            [problems](int lang) {
                QStringList lines;
                for (const PictureProblem &p : problems)
                    lines << statusTexts(lang).pictureMissing.arg(p.slot + 1).arg(QFileInfo(p.file).fileName());
                return lines.join(QStringLiteral("  "));
            },
            details.join(QLatin1Char('\n')));
    }
}

void MainWindow::setStatus(std::function<QString(int)> text, const QString &toolTip)
{
    m_statusRow->setStatus(std::move(text), toolTip);
}

void MainWindow::clearStatus()
{
    if (m_settingsLoaded && !isSending())
        m_statusRow->clear();
}

void MainWindow::scanPorts()
{
    m_settingsRow->fillPortList(glintag::scanPorts(*badgePort()), portMap());
}

void MainWindow::rebuildPortMap()
{
    // Port names that stand for devices of the user's choosing.
    m_upload->job().setPortMap(PortMap::forSystem(loadPortEntries(m_settingsPath), m_systemDevices));
}

void MainWindow::rescanPorts()
{
    // Probing opens the port the upload holds: never mid-upload.
    if (isSending())
        return;
    const QString kept = m_settingsRow->port();
    rebuildPortMap();
    m_settingsRow->fillPortList(glintag::scanPorts(*badgePort()), portMap());
    m_settingsRow->choosePort(kept);
}

void MainWindow::onSendClicked()
{
    // The job sends from its own rendering, so edits made while it waits for
    // the line re-render the window but never change what is on the wire.
    const BadgeSetup setup = badgeSetup();
    if (!m_upload->send(setup, m_programDir, m_settingsRow->port()))
        return;
    // The window shows what is on its way rather than rendering it again.
    m_rendering = m_upload->job().snapshot().rendering;
    showRendering(setup);
}

void MainWindow::stopUpload()
{
    m_upload->stop(); // the job words the status as it ends
}

void MainWindow::showUploadStatus(const UploadStatus &status)
{
    setStatus([status](int lang) { return uploadStatusText(status, lang); });
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    bool leave = true;
    if (isSending())
        leave = m_dialogs->message(QStringLiteral("Sending! Are you exit?"), QStringLiteral("Warning"),
                                   Dialogs::Buttons::YesNo)
            == Dialogs::Answer::Yes;
    if (leave)
        stopUpload(); // where it stands; closing ends it as Stop does
    saveSettings();
    if (leave)
        event->accept();
    else
        event->ignore();
}

} // namespace glintag
