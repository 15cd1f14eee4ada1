#include "gui/mainwindow.h"

#include "gui/accessiblecombo.h"
#include "gui/controlsfit.h"
#include "gui/documentcontrol.h"
#include "gui/editreactions.h"
#include "gui/pictureediting.h"
#include "gui/picturefiles.h"
#include "gui/portlist.h"
#include "gui/previewpanel.h"
#include "gui/settingskeeper.h"
#include "gui/settingsrow.h"
#include "gui/setupmodel.h"
#include "gui/slotrow.h"
#include "gui/slottable.h"
#include "gui/statusrow.h"
#include "gui/stripwidgets.h"
#include "gui/windowlayout.h"
#include "gui/windowmenus.h"
#include "gui/windowrendering.h"
#include "i18n/columnlayout.h"
#include "i18n/languages.h"
#include "i18n/statustexts.h"
#include "link/portnames.h"
#include "link/serialport.h"
#include "settings/settings.h"
#include "settings/setupfile.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QFrame>
#include <QKeySequence>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

namespace glintag {

namespace {

// Window pixels: the gauge ends at 665 and the status row under it at 696;
// the preview has the rest of the page, beside or below.
constexpr int kWindowWidth = 15030 / 15;
constexpr int kContentHeight = 700;
// A first window on a large screen: the preview beside the controls with a
// face of about twelve pixels a dot; maximising gives it more.
constexpr QSize kFirstWindow(kWindowWidth + 600, 820);

} // namespace

MainWindow::MainWindow(MainWindowOptions options) :
    m_programDir(options.programDir.isEmpty() ? QCoreApplication::applicationDirPath() : options.programDir),
    m_dialogs(options.dialogs ? options.dialogs : std::make_shared<WidgetDialogs>(this)),
    m_systemDevices(options.systemDevices ? options.systemDevices : [] { return systemSerialDevices(); }),
    m_systemLocale(options.systemLocale)
{
    installComboNames();
    m_settingsPath = settingsFilePath(m_programDir);
    m_model = new SetupModel(this);
    m_upload = new UploadControl(this, m_dialogs, options.port);
    if (options.clock)
        m_upload->setClock(options.clock);
    m_upload->setStallLimit(options.stallLimitMs);
    m_pictures = std::make_unique<PictureFiles>(m_dialogs, [this] { return isSending(); });

    setFont(QFont(QStringLiteral("Arial"), 9));
    m_content = new QWidget;
    m_content->setFixedSize(kWindowWidth, kContentHeight);
    m_preview = new PreviewPanel(nullptr);
    m_page = new WindowPage(m_content, m_preview, PreviewPanel::minimumStacked(), PreviewPanel::minimumSideBySide());
    m_scroller = new QScrollArea(this);
    m_scroller->setFrameShape(QFrame::NoFrame);
    m_scroller->setWidgetResizable(true);
    m_scroller->setWidget(m_page);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_scroller);
    setMinimumSize(320, 240);
    buildControls();
    m_ports = std::make_unique<PortList>(*m_settingsRow, *m_upload, m_settingsPath, m_systemDevices);
    m_kept
        = std::make_unique<SettingsKeeper>(*m_model, *m_settingsRow, *m_slots, *m_pictures, m_dialogs, m_settingsPath);
    m_renderer = new WindowRendering(*m_model, m_programDir, *m_memoryGauge, *m_statusRow, *m_preview, this);
    // The slot frame's top edge keeps a few pixels of margin.
    m_page->setBanner(m_title, px(480) - 6);
    wireEvents();
    buildMenus();
    acceptDrops();
    // Row by row, left to right as the columns stand, then the settings row.
    const QList<QWidget *> chain = m_slots->tabChain() + m_settingsRow->tabChain()
        + QList<QWidget *>{m_sendButton, m_statusRow->stopButton(), m_exitButton,
                           static_cast<QWidget *>(m_preview->stripArea()),
                           static_cast<QWidget *>(m_preview->warningList())};
    for (int k = 1; k < chain.size(); ++k)
        QWidget::setTabOrder(chain[k - 1], chain[k]);
    keepWheelForScrolling(m_content, m_scroller);
    keepWheelForScrolling(m_slots, m_slotArea); // asked first: the rows scroll their own area
    for (int i = 0; i < kSlotCount; ++i)
        moveWithKeys(slotRow(i).panBar());

    startUp();
    // Also the window's title, with the program's name.
    m_documents->start(loadRecentFiles(m_settingsPath));
    fitToScreen(screen()->availableGeometry().size());
    // The first thing a user types is slot 1's text.
    slotRow(0).textBox()->setFocus();
}

void MainWindow::fitToScreen(const QSize &available)
{
    // Room for the title bar and frame, which the available area includes.
    constexpr int kFrameAllowance = 36;
    const QSize first = kFirstWindow + QSize(0, layout()->menuBar()->sizeHint().height());
    resize(first.boundedTo(available - QSize(0, kFrameAllowance)));
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // The menu bar stands above the page's room. The controls fit what the
    // first look shows: the view less a scroll bar, the banner given way.
    const QSize room = size() - QSize(0, layout()->menuBar() ? layout()->menuBar()->height() : 0);
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    m_fit->fitTo(room + QSize(-bar, m_page->bannerTrim()));
    m_page->fitTo(room, bar);
}

MainWindow::~MainWindow() = default;

MainWindow::Parts MainWindow::parts() const
{
    return {*m_slots,      *m_settingsRow, *m_statusRow, m_preview,  m_title,    m_gaugeCaption, m_memoryGauge,
            m_progressBar, m_sendButton,   m_exitButton, m_scroller, m_slotArea, m_page,         m_content,
            *m_model,      *m_renderer,    *m_editing,   *m_upload,  *m_menus,   *m_documents};
}

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

    // The slot table scrolls in its own area when the screen is too short.
    m_slotArea = new QScrollArea(m_content);
    m_slotArea->setFrameShape(QFrame::NoFrame);
    m_slotArea->setGeometry(px(120), px(480), px(kSlotFrameWidth), px(8325));
    m_slots = new SlotTable(*m_model, nullptr);
    m_slots->resize(m_slotArea->size());
    m_slotArea->setWidget(m_slots);
    m_settingsRow = new SettingsRow(*m_model, m_content);

    // The upload's controls, on the settings row's line.
    const int ct = px(SettingsRow::kTop);
    m_progressBar = new QProgressBar(m_content);
    m_progressBar->setGeometry(px(8760), ct, px(2415), px(375));
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(0);
    m_progressBar->setTextVisible(false);
    // A groove darker than the window when idle, so it never passes for an
    // empty text field.
    QPalette groove = m_progressBar->palette();
    groove.setColor(QPalette::Base, groove.color(QPalette::Window).darker(112));
    m_progressBar->setPalette(groove);
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
    m_fit = std::make_unique<ControlsFit>(m_content, m_slotArea, m_progressBar);
}

void MainWindow::wireEvents()
{
    // Every edit reaches the window through the model.
    m_edits = new EditReactions(
        *m_model, *m_slots, *m_settingsRow, *m_statusRow, *m_preview, *m_renderer, *m_upload,
        [this] { applyLanguage(); }, this);
    // A new picture renders through the model as any edit does.
    connect(m_slots, &SlotTable::loadClicked, this, [this](int i) {
        if (m_pictures->load(slotRow(i), m_settingsRow->language(),
                             badgeModel(m_settingsRow->modelBox()->currentText())))
            m_editing->offerBrightnessRules(i);
    });
    connect(m_slots, &SlotTable::saveClicked, this, [this](int i) { m_pictures->save(slotRow(i)); });
    m_editing = new PictureEditing(*m_model, *m_slots, *m_preview, *m_pictures, this);
    connect(m_slots, &SlotTable::editRequested, m_editing, &PictureEditing::open);
    connect(m_settingsRow, &SettingsRow::portListOpening, this, [this] { m_ports->rescan(); });
    // The preview shows the slot whose row last had the focus.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *before, QWidget *now) {
        // Typing in a text box is one step until the user leaves the box.
        if (m_documents && m_slots->slotHolding(before) >= 0)
            m_documents->seal();
        const int i = m_slots->slotHolding(now);
        if (m_edits->settingsLoaded() && i >= 0)
            m_preview->setWorkingSlot(i);
    });
    connect(m_sendButton, &QPushButton::clicked, this, [this] { onSendClicked(); });
    connect(m_exitButton, &QPushButton::clicked, this, [this] { close(); });
    m_upload->setWidgets(m_progressBar, m_statusRow->stopButton());
    connect(m_upload, &UploadControl::status, this, [this](const UploadStatus &s) {
        m_statusRow->setStatus([s](int lang) { return uploadStatusText(s, lang); });
    });
    connect(m_upload, &UploadControl::portsFinished, this, [this](const QList<PortResult> &results) {
        m_statusRow->setStatus([results](int lang) { return portResultsStatusText(results, lang); });
    });

    auto *sendKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Return), this);
    connect(sendKey, &QShortcut::activated, this, [this] { onSendClicked(); });
    auto *sendKeyPad = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Enter), this);
    connect(sendKeyPad, &QShortcut::activated, this, [this] { onSendClicked(); });
}

void MainWindow::startUp()
{
    m_edits->setSettingsLoaded(false);
    // What a killed save left behind goes before anything is read.
    tidyKeptFolder(m_settingsPath);
    // A first start speaks the system's language; once a file exists, its
    // language is the user's choice.
    const bool firstStart = !QFileInfo::exists(m_settingsPath);
    StoredSettings stored = loadStoredSettings(m_settingsPath);
    if (firstStart)
        stored.setup.language = uiLanguageForLocale(m_systemLocale);
    m_edits->putOnRows(stored.setup);
    m_edits->setSettingsLoaded(true);
    m_ports->scan();
    m_kept->applyChoices(stored.window);

    m_statusRow->tellPictureProblems(stored.pictureProblems);
}

bool MainWindow::settingsLoaded() const
{
    return m_edits->settingsLoaded();
}

void MainWindow::onSendClicked()
{
    // The job sends from its own rendering, so edits made while it waits for
    // the line re-render the window but never change what is on the wire.
    const BadgeSetup setup = m_model->setup();
    if (!m_upload->send(setup, m_programDir, m_settingsRow->port(), m_menus->alsoPorts()))
        return;
    m_settingsRow->rememberPort(m_settingsRow->port());
    // The window shows what is on its way rather than rendering it again.
    m_renderer->show(m_upload->snapshot().rendering);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    bool leave = true;
    if (isSending())
        leave = m_dialogs->message(QStringLiteral("Sending! Are you exit?"), QStringLiteral("Warning"),
                                   Dialogs::Buttons::YesNo)
            == Dialogs::Answer::Yes;
    // A named setup's changes are the user's to keep or drop; Cancel there
    // means going back to work as if Exit had not been pressed, so nothing
    // is written and a running upload goes on.
    if (leave && !m_documents->keepOrDropChanges()) {
        event->ignore();
        return;
    }
    if (leave)
        m_upload->stop(); // where it stands; closing ends it as Stop does
    // The automatic settings file saves itself as ever.
    m_kept->save();
    saveRecentFiles(m_settingsPath, m_documents->document().recentFiles());
    if (leave)
        event->accept();
    else
        event->ignore();
}

} // namespace glintag
