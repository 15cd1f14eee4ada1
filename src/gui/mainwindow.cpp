#include "gui/mainwindow.h"

#include "i18n/captionfonts.h"
#include "i18n/columnlayout.h"
#include "i18n/languages.h"
#include "i18n/statustexts.h"
#include "link/portnames.h"
#include "link/serialport.h"
#include "protocol/uploadstream.h"
#include "gui/previewpanel.h"
#include "render/messagebuilder.h"
#include "files/picturefile.h"
#include "settings/settings.h"
#include "gui/stripwidgets.h"
#include "gui/windowlayout.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QKeySequence>
#include <QShortcut>
#include <QSignalBlocker>
#include <QComboBox>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace glintag {

namespace {

// Row controls inside the slot frame, in twips.
constexpr int kRowTop = 600;
constexpr int kRowPitch = 480;
constexpr int kComboHeight = 345;
constexpr int kTextHeight = 330;

// Header labels: top, height and the widths we give them (the design only
// fixes their left edges); the widths keep neighbours from overlapping in
// both column layouts.
constexpr int kHeaderTop = 240;
constexpr int kHeaderHeight = 255;

// Window pixels: the gauge ends at 665; the row under it holds the upload's
// status line and the Stop button; the preview starts below that.
constexpr int kWindowWidth = 15030 / 15;
constexpr int kStatusTop = 668;
constexpr int kStatusHeight = 28;
constexpr int kPreviewTop = 700;
constexpr int kContentHeight = kPreviewTop + PreviewPanel::kHeight + 6;

class WindowAlternateBoxes : public AlternateBoxes {
public:
    explicit WindowAlternateBoxes(MainWindow &w) : m_w(w) {}
    bool isChecked(int i) const override { return m_w.row(i).alternate->isChecked(); }
    // Raises the box's change notification, which re-enters the rule.
    void setChecked(int i, bool checked) override { m_w.row(i).alternate->setChecked(checked); }
    void setEnabled(int i, bool enabled) override { m_w.row(i).alternate->setEnabled(enabled); }

private:
    MainWindow &m_w;
};

QLabel *makeLabel(QWidget *parent, const QString &text, int x, int y, int w, int h,
                  Qt::Alignment align = Qt::AlignLeft | Qt::AlignTop)
{
    auto *l = new QLabel(text, parent);
    l->setGeometry(x, y, w, h);
    l->setAlignment(align);
    return l;
}

QComboBox *makeCombo(QWidget *parent, const QStringList &items, int x, int y, int w)
{
    auto *c = new QComboBox(parent);
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->addItems(items);
    c->setGeometry(x, y, w, px(kComboHeight));
    return c;
}

// The box is editable, but only its items may stand: text that is none of
// them (a typed "9" would reach the badge as another option's bits) goes
// back to the item chosen before when editing ends, by Enter or when the
// box loses focus.
void acceptOnlyItems(QComboBox *box)
{
    QObject::connect(box->lineEdit(), &QLineEdit::editingFinished, box, [box] {
        const int typed = box->findText(box->currentText());
        if (typed >= 0)
            box->setCurrentIndex(typed);
        box->setEditText(box->currentIndex() >= 0 ? box->itemText(box->currentIndex()) : QString());
    });
}

QCheckBox *makeCheck(QWidget *parent, int x, int y)
{
    auto *c = new QCheckBox(parent);
    c->setGeometry(x, y, px(kCheckBoxWidth), px(kCheckBoxWidth));
    return c;
}

QStringList numberItems(int n)
{
    QStringList items;
    for (int i = 1; i <= n; ++i)
        items << QString::number(i);
    return items;
}

} // namespace

MainWindow::MainWindow(MainWindowOptions options)
    : m_programDir(options.programDir.isEmpty() ? QCoreApplication::applicationDirPath() : options.programDir),
      m_dialogs(options.dialogs ? options.dialogs : std::make_shared<WidgetDialogs>(this)),
      m_systemDevices(options.systemDevices ? options.systemDevices : [] { return systemSerialDevices(); })
{
    m_settingsPath = settingsFilePath(m_programDir);
    m_upload = new UploadControl(this, m_dialogs, options.port);
    if (options.clock)
        m_upload->job().setClock(options.clock);
    m_upload->job().setStallLimit(options.stallLimitMs);
    rebuildPortMap();
    badgePort = &m_upload->job().port();

    setWindowTitle(QStringLiteral("Glintag Ver 6.00"));
    setFont(QFont(QStringLiteral("Arial"), 9));
    content = new QWidget;
    content->setFixedSize(kWindowWidth, kContentHeight);
    scroller = new QScrollArea(this);
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setWidget(content);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroller);
    setMaximumSize(content->size());
    buildControls();
    wireEvents();
    chainTabOrder();

    firstRenderTimer = new QTimer(this);
    firstRenderTimer->setInterval(100);
    connect(firstRenderTimer, &QTimer::timeout, this, [this] { onFirstRenderTimer(); });
    firstRenderTimer->start();

    startUp();
    fitToScreen(screen()->availableGeometry().size());
}

void MainWindow::fitToScreen(const QSize &available)
{
    // Room for the title bar and frame, which the available area includes.
    constexpr int kFrameAllowance = 40;
    resize(content->size().boundedTo(available - QSize(0, kFrameAllowance)));
}

MainWindow::~MainWindow() = default;

void MainWindow::buildControls()
{
    title = makeLabel(content, QStringLiteral("     Glintag    "), px(120), 0, px(14775), px(465), Qt::AlignCenter);
    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setPointSizeF(20.25);
    titleFont.setBold(true);
    titleFont.setItalic(true);
    titleFont.setUnderline(true);
    title->setFont(titleFont);
    title->setStyleSheet(QStringLiteral("color: #0000ff"));

    slotFrame = new QFrame(content);
    slotFrame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    slotFrame->setGeometry(px(120), px(480), px(kSlotFrameWidth), px(8325));

    const int ht = px(kHeaderTop), hh = px(kHeaderHeight);
    const auto centre = Qt::AlignHCenter | Qt::AlignTop;
    selectHeader = makeLabel(slotFrame, QStringLiteral("Select"), px(120), ht, px(735), hh, centre);
    textHeader = makeLabel(slotFrame, QStringLiteral("Show Text or Image"), px(1200), ht, px(6975), hh, centre);
    imageHeader = makeLabel(slotFrame, QStringLiteral("Image"), px(8640), ht, px(615), hh, centre);
    verticalHeader = makeLabel(slotFrame, QStringLiteral("VShow"), px(9180), ht, px(735), hh, centre);
    verticalHeader->hide();
    speedHeader = makeLabel(slotFrame, QStringLiteral("Speed"), px(9480), ht, px(900), hh, centre);
    modeHeader = makeLabel(slotFrame, QStringLiteral("Move Mode"), px(10320), ht, px(kModeBoxWidth), hh, centre);
    flashHeader = makeLabel(slotFrame, QStringLiteral("Flash"), px(11880), ht, px(480), hh, centre);
    borderHeader = makeLabel(slotFrame, QStringLiteral("Loop Lamp"), px(12540), ht, px(1080), hh, centre);
    alternateHeader = makeLabel(slotFrame, QStringLiteral("Alternate"), px(13680), ht, px(975), hh, centre);

    for (int i = 0; i < kSlotCount; ++i)
        buildSlotRow(i);

    // Settings row: labels first so the combo boxes, moved per language,
    // stay on top of them.
    const int lt = px(9045), ct = px(9000), lh = px(255);
    // The design fixes only the labels' left edges; each is as wide as its
    // longest caption needs, and the combo box after it is drawn on top.
    languageLabel = makeLabel(content, QStringLiteral("Language :"), px(240), lt, 72, lh);
    brightnessLabel = makeLabel(content, QStringLiteral("Bright :"), px(3360), lt, 48, lh);
    modelLabel = makeLabel(content, QStringLiteral("Type:"), px(5040), lt, 64, lh);
    portLabel = makeLabel(content, QStringLiteral("Port :"), px(6840), lt, 76, lh);

    languageBox = makeCombo(content,
                            {QStringLiteral("SimpChinese"), QStringLiteral("TradChinese"), QStringLiteral("Japanese"),
                             QStringLiteral("Korean"), QStringLiteral("English")},
                            px(1320), ct, px(1740));
    brightnessBox = makeCombo(content, numberItems(kBrightnessMax), px(4080), ct, px(615));
    brightnessBox->setCurrentIndex(3);
    acceptOnlyItems(brightnessBox);
    QStringList models;
    for (const BadgeModel &model : kBadgeModels)
        models << QLatin1String(model.name);
    modelBox = makeCombo(content, models, px(5640), ct, px(855));
    QStringList ports;
    for (int n = 1; n <= 32; ++n)
        ports << QStringLiteral("COM%1").arg(n);
    auto *probingPortBox = new RefreshingComboBox(content);
    probingPortBox->setEditable(true);
    probingPortBox->setInsertPolicy(QComboBox::NoInsert);
    probingPortBox->addItems(ports);
    probingPortBox->setGeometry(px(7440), ct, px(1095), px(kComboHeight));
    probingPortBox->beforePopup = [this] { rescanPorts(); };
    portBox = probingPortBox;

    progressBar = new QProgressBar(content);
    progressBar->setGeometry(px(8760), ct, px(2415), px(375));
    progressBar->setRange(0, 100);
    progressBar->setValue(0);
    progressBar->setTextVisible(false);

    sendButton = new QPushButton(QStringLiteral("Send"), content);
    sendButton->setGeometry(px(11400), ct, px(1575), px(375));
    exitButton = new QPushButton(QStringLiteral("Exit"), content);
    exitButton->setGeometry(px(13200), ct, px(1575), px(375));

    rule = new QFrame(content);
    rule->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    rule->setGeometry(px(120), px(9570) - 1, px(14880) - px(120), 2);

    gaugeCaption = makeLabel(content, QStringLiteral("Memory Useing state :"), px(240), px(9720), px(2295), lh,
                          Qt::AlignRight | Qt::AlignTop);
    memoryGauge = new GaugeStrip(content);
    memoryGauge->setGeometry(px(2880), px(9750), px(11580), px(225));

    // Beside the gauge's own parent, wherever that ends up.
    QWidget *const panel = memoryGauge->parentWidget();
    const int stopWidth = 96, stopLeft = memoryGauge->geometry().right() + 1 - stopWidth;
    statusLine = new QLabel(panel);
    statusLine->setGeometry(gaugeCaption->x(), kStatusTop, stopLeft - 8 - gaugeCaption->x(), kStatusHeight);
    statusLine->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    stopButton = new QPushButton(QStringLiteral("Stop"), panel);
    stopButton->setGeometry(stopLeft, kStatusTop + 1, stopWidth, kStatusHeight - 2);
    stopButton->hide();

    preview = new PreviewPanel(content);
    preview->setGeometry(px(120), kPreviewTop, px(14775), PreviewPanel::kHeight);
}

void MainWindow::buildSlotRow(int i)
{
    const int top = px(kRowTop + kRowPitch * i);
    row(i).select = makeCheck(slotFrame, px(360), top);

    row(i).text = new QLineEdit(QStringLiteral("Message%1").arg(i + 1), slotFrame);
    row(i).text->setGeometry(px(kTextBoxLeft), top, px(kTextBoxWidth), px(kTextHeight));
    QPalette pal = row(i).text->palette();
    pal.setColor(QPalette::Text, QColor(slotColour(i)));
    row(i).text->setPalette(pal);

    // The picture strip that takes the text box's place in image mode.
    row(i).picture = new QFrame(slotFrame);
    row(i).picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    row(i).picture->setLineWidth(2);
    row(i).picture->setGeometry(px(840), top, px(4920), px(kTextHeight));
    // The inner kPanView × 18 area clips the canvas.
    auto *clip = new QWidget(row(i).picture);
    clip->setGeometry(2, 2, px(4920) - 4, px(kTextHeight) - 4);
    clip->setAutoFillBackground(true);
    row(i).canvas = new CanvasBox(clip);
    row(i).canvas->move(3, 3);

    row(i).pan = new QScrollBar(Qt::Horizontal, slotFrame);
    row(i).pan->setGeometry(px(5730), top, px(405), px(kTextHeight));
    row(i).pan->setRange(kPanHome, kPanEnd);
    row(i).pan->setValue(kPanHome);
    row(i).pan->setSingleStep(8);
    row(i).pan->setPageStep(kPanView);

    row(i).load = new QPushButton(QStringLiteral("Load"), slotFrame);
    row(i).load->setGeometry(px(6240), top, px(1095), px(kTextHeight));
    row(i).save = new QPushButton(QStringLiteral("Save"), slotFrame);
    row(i).save->setGeometry(px(7440), top, px(1095), px(kTextHeight));
    row(i).picture->hide();
    row(i).pan->hide();
    row(i).load->hide();
    row(i).save->hide();

    row(i).image = makeCheck(slotFrame, px(8880), top);
    row(i).vertical = makeCheck(slotFrame, px(9420), top);
    row(i).vertical->hide();
    row(i).speed = makeCombo(slotFrame, numberItems(kSpeedMax), px(9480), top, px(kSpeedBoxWidth));
    row(i).speed->setCurrentIndex(3);
    acceptOnlyItems(row(i).speed);
    QStringList modes;
    for (int k = 0; k < moveModeCount(i); ++k)
        modes << languageRecord(UiEnglish).moveModes[k];
    row(i).mode = makeCombo(slotFrame, modes, px(10320), top, px(kModeBoxWidth));
    row(i).flash = makeCheck(slotFrame, px(12000), top);
    row(i).border = makeCheck(slotFrame, px(12960), top);
    row(i).alternate = makeCheck(slotFrame, px(14040), top);
}

void MainWindow::wireEvents()
{
    for (int i = 0; i < kSlotCount; ++i) {
        connect(row(i).text, &QLineEdit::textChanged, this, [this, i] { onSlotChanged(i); });
        connect(row(i).select, &QCheckBox::toggled, this, [this, i] { onSlotChanged(i); });
        connect(row(i).border, &QCheckBox::toggled, this, [this, i] { onSlotChanged(i); });
        connect(row(i).mode, &QComboBox::currentIndexChanged, this, [this, i] {
            // Long mode names are wider than the box: show their beginning.
            row(i).mode->lineEdit()->setCursorPosition(0);
            onSlotChanged(i);
        });
        connect(row(i).image, &QCheckBox::toggled, this, [this, i] { setSlotImageMode(i); });
        connect(row(i).alternate, &QCheckBox::toggled, this, [this] {
            WindowAlternateBoxes boxes(*this);
            enforceAlternateRun(boxes);
            refreshPreview(PreviewSource::WindowRendering);
        });
        // These change how the face plays, not the dots.
        connect(row(i).speed, &QComboBox::currentTextChanged, this,
                [this] { refreshPreview(PreviewSource::WindowRendering); });
        connect(row(i).flash, &QCheckBox::toggled, this, [this] { refreshPreview(PreviewSource::WindowRendering); });
        // Vertical writing renders nothing in the window, but it changes the
        // glyphs Send would carry.
        connect(row(i).vertical, &QCheckBox::toggled, this, [this, i] {
            if (m_settingsLoaded)
                preview->setWorkingSlot(i);
            refreshPreview(PreviewSource::FreshRendering);
        });
        connect(row(i).pan, &QScrollBar::valueChanged, this, [this, i] { panSlotPicture(i); });
        connect(row(i).load, &QPushButton::clicked, this, [this, i] { loadSlotPicture(i); });
        connect(row(i).save, &QPushButton::clicked, this, [this, i] { saveSlotPicture(i); });
    }
    connect(modelBox, &QComboBox::currentIndexChanged, this, [this] { onSettingChanged(); });
    // The preview shows the slot whose row last had the focus.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        for (int i = 0; now && i < kSlotCount; ++i)
            for (QWidget *w : {static_cast<QWidget *>(row(i).select), static_cast<QWidget *>(row(i).text),
                               static_cast<QWidget *>(row(i).image), static_cast<QWidget *>(row(i).vertical),
                               static_cast<QWidget *>(row(i).speed), static_cast<QWidget *>(row(i).mode),
                               static_cast<QWidget *>(row(i).flash), static_cast<QWidget *>(row(i).border),
                               static_cast<QWidget *>(row(i).alternate), static_cast<QWidget *>(row(i).pan),
                               static_cast<QWidget *>(row(i).load), static_cast<QWidget *>(row(i).save)})
                if (m_settingsLoaded && (w == now || w->isAncestorOf(now)))
                    return preview->setWorkingSlot(i);
    });
    connect(languageBox, &QComboBox::currentIndexChanged, this, [this] { applyLanguage(); });
    connect(sendButton, &QPushButton::clicked, this, [this] { onSendClicked(); });
    connect(exitButton, &QPushButton::clicked, this, [this] { close(); });
    m_upload->setWidgets(progressBar, stopButton);
    connect(m_upload, &UploadControl::status, this, [this](const UploadStatus &s) { showUploadStatus(s); });

    // What the last upload said stays until the user changes anything.
    for (int i = 0; i < kSlotCount; ++i) {
        const SlotRow &r = row(i);
        for (QCheckBox *box : {r.select, r.image, r.vertical, r.flash, r.border, r.alternate})
            connect(box, &QCheckBox::toggled, this, [this] { clearStatus(); });
        connect(r.text, &QLineEdit::textChanged, this, [this] { clearStatus(); });
        // The mode by its position: a language change renames the items.
        connect(r.speed, &QComboBox::currentTextChanged, this, [this] { clearStatus(); });
        connect(r.mode, &QComboBox::currentIndexChanged, this, [this] { clearStatus(); });
    }
    for (QComboBox *box : {brightnessBox, modelBox, portBox})
        connect(box, &QComboBox::currentTextChanged, this, [this] { clearStatus(); });

    auto *sendKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Return), this);
    connect(sendKey, &QShortcut::activated, this, [this] { onSendClicked(); });
    auto *sendKeyPad = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Enter), this);
    connect(sendKeyPad, &QShortcut::activated, this, [this] { onSendClicked(); });
}

void MainWindow::chainTabOrder()
{
    // Row by row, left to right as the columns stand, then the settings row.
    QList<QWidget *> chain;
    for (int i = 0; i < kSlotCount; ++i) {
        const SlotRow &r = row(i);
        chain << r.select << r.text << r.pan << r.load << r.save << r.image << r.vertical << r.speed << r.mode
              << r.flash << r.border << r.alternate;
    }
    chain << languageBox << brightnessBox << modelBox << portBox << sendButton << stopButton << exitButton;
    for (int k = 1; k < chain.size(); ++k)
        QWidget::setTabOrder(chain[k - 1], chain[k]);
}

void MainWindow::startUp()
{
    m_settingsLoaded = false;
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

void MainWindow::applyChoices(const WindowChoices &choices)
{
    m_pictureFolder = choices.pictureFolder;
    for (int i = 0; i < kSlotCount; ++i)
        row(i).pan->setValue(choices.pan[size_t(i)]);
    if (choices.port.isNull())
        return;   // never saved: the probe's choice stands
    const int k = portBox->findText(choices.port);
    if (k >= 0)
        portBox->setCurrentIndex(k);
    else
        portBox->setEditText(choices.port);
}

WindowChoices MainWindow::windowChoices() const
{
    WindowChoices choices;
    choices.port = portBox->currentText();
    choices.pictureFolder = m_pictureFolder;
    for (int i = 0; i < kSlotCount; ++i)
        choices.pan[size_t(i)] = row(i).pan->value();
    return choices;
}

void MainWindow::applySetup(const BadgeSetup &setup)
{
    for (int i = 0; i < kSlotCount; ++i) {
        const SlotSetup &slot = setup.slots[size_t(i)];
        SlotRow &r = row(i);
        // Every assignment raises its control's event, as a user's would.
        r.text->setText(slot.text);
        r.select->setChecked(slot.select);
        r.speed->setCurrentIndex(r.speed->findText(slot.speed));
        r.mode->setCurrentIndex(slot.mode);
        r.flash->setChecked(slot.flash);
        r.border->setChecked(slot.border);
        r.image->setChecked(slot.image);
        r.vertical->setChecked(slot.vertical);
        if (!slot.picture.isNull())
            r.canvas->setCanvas(slot.picture);
    }
    modelBox->setCurrentIndex(modelBox->findText(setup.model));
    if (modelBox->currentText() != setup.model)
        modelBox->setEditText(setup.model);
    brightnessBox->setCurrentIndex(brightnessBox->findText(setup.brightness));
    if (brightnessBox->currentText() != setup.brightness)
        brightnessBox->setEditText(setup.brightness);
    // The language is applied even when the stored index equals the
    // current one and so raises no change.
    languageBox->setCurrentIndex(setup.language);
    applyLanguage();

    // Checked one by one in ascending order, each check running the rule.
    for (int i = 0; i < kSlotCount; ++i)
        if (setup.slots[size_t(i)].alternate)
            row(i).alternate->setChecked(true);
}

void MainWindow::saveSettings()
{
    // The old file (or whatever else is under the name) stays as it was;
    // the user is told, and the close goes on after OK. The reason names
    // each file that could not be written and why.
    QString reason;
    if (!saveStoredSettings(m_settingsPath, badgeSetup(), windowChoices(), &reason) || !reason.isEmpty())
        m_dialogs->message(QStringLiteral("Save settings fail!"), QStringLiteral("Error"), Dialogs::Buttons::Ok, reason);
}

BadgeSetup MainWindow::badgeSetup() const
{
    BadgeSetup setup;
    for (int i = 0; i < kSlotCount; ++i) {
        const SlotRow &r = row(i);
        SlotSetup &slot = setup.slots[size_t(i)];
        slot.text = r.text->text();
        slot.select = r.select->isChecked();
        slot.speed = r.speed->currentText();
        slot.mode = r.mode->currentIndex();
        slot.flash = r.flash->isChecked();
        slot.border = r.border->isChecked();
        slot.image = r.image->isChecked();
        slot.picture = r.canvas->canvas();
        slot.vertical = r.vertical->isChecked();
        slot.alternate = r.alternate->isChecked();
    }
    setup.language = languageBox->currentIndex();
    setup.model = modelBox->currentText();
    setup.brightness = brightnessBox->currentText();
    return setup;
}

AlternateGroup MainWindow::alternateGroup() const
{
    return badgeSetup().alternateGroup();
}

void MainWindow::scanPorts()
{
    fillPortList(glintag::scanPorts(*badgePort));
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
    const QString kept = portBox->currentText();
    rebuildPortMap();
    fillPortList(glintag::scanPorts(*badgePort));
    const int k = portBox->findText(kept);
    if (k >= 0)
        portBox->setCurrentIndex(k);
    else
        portBox->setEditText(kept);
}

void MainWindow::fillPortList(const PortScan &scan)
{
    const QSignalBlocker quiet(portBox);   // a refill is not the user's edit
    portBox->clear();
    for (const QString &name : scan.names) {
        portBox->addItem(name);
        portBox->setItemData(portBox->count() - 1, portMap().devicePath(name), Qt::ToolTipRole);
    }
    const int chosen = portBox->findText(scan.chosen);
    portBox->setCurrentIndex(chosen);
    if (chosen < 0)
        portBox->clearEditText();
}

void MainWindow::onSendClicked()
{
    // The job sends from its own rendering, so edits made while it waits for
    // the line re-render the window but never change what is on the wire.
    const BadgeSetup setup = badgeSetup();
    if (!m_upload->send(setup, m_programDir, portBox->currentText()))
        return;
    // The window shows what is on its way rather than rendering it again.
    m_rendering = m_upload->job().snapshot().rendering;
    showRendering(setup);
}

void MainWindow::stopUpload()
{
    m_upload->stop();   // the job words the status as it ends
}

void MainWindow::showUploadStatus(const UploadStatus &status)
{
    setStatus([status](int lang) { return uploadStatusText(status, lang); });
}

void MainWindow::setStatus(std::function<QString(int)> text, const QString &toolTip)
{
    m_statusText = std::move(text);
    statusLine->setText(m_statusText ? m_statusText(languageBox->currentIndex()) : QString());
    statusLine->setToolTip(toolTip);
}

void MainWindow::clearStatus()
{
    if (m_settingsLoaded && !isSending() && m_statusText)
        setStatus(nullptr);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    bool leave = true;
    if (isSending())
        leave = m_dialogs->message(QStringLiteral("Sending! Are you exit?"), QStringLiteral("Warning"),
                                   Dialogs::Buttons::YesNo) == Dialogs::Answer::Yes;
    if (leave)
        stopUpload();   // where it stands; closing ends it as Stop does
    saveSettings();
    if (leave)
        event->accept();
    else
        event->ignore();
}

void MainWindow::onSlotChanged(int i)
{
    if (m_settingsLoaded)
        preview->setWorkingSlot(i);
    onSettingChanged();
}

void MainWindow::onSettingChanged()
{
    if (m_settingsLoaded)
        renderSlots();
}

void MainWindow::refreshPreview(PreviewSource source)
{
    // Before the first rendering there is nothing to show.
    if (m_renderRuns == 0)
        return;
    const BadgeSetup setup = badgeSetup();
    if (source == PreviewSource::WindowRendering) {
        preview->showSetup(setup, m_rendering);
        return;
    }
    // The window's own buffers and gauge stay as its last run left them; the
    // preview gets what Send, which renders afresh, would carry now.
    preview->showSetup(setup, renderSetup(setup, m_programDir));
}

void MainWindow::onFirstRenderTimer()
{
    renderSlots();
    firstRenderTimer->setInterval(0);
    firstRenderTimer->stop();
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
    memoryGauge->setSpans(gaugeSpans(m_rendering.rendered));
    preview->showSetup(setup, m_rendering);
}

void MainWindow::setSlotImageMode(int i)
{
    const bool picture = row(i).image->isChecked();
    row(i).text->setVisible(!picture);
    row(i).picture->setVisible(picture);
    row(i).load->setVisible(picture);
    row(i).save->setVisible(picture);
    row(i).pan->setVisible(picture);
    onSlotChanged(i);
}

void MainWindow::loadSlotPicture(int i)
{
    if (isSending()) {
        m_dialogs->message(QStringLiteral("Sending!"), QStringLiteral("Waits"), Dialogs::Buttons::Ok);
        return;
    }
    const QString name =
        m_dialogs->openFileName(QStringLiteral("Picture(*.bmp;*.gif;*.jpg;*.ico)|*.bmp;*.gif;*.jpg;*.ico"),
                                m_pictureFolder);
    if (name.isEmpty())
        return;
    m_pictureFolder = QFileInfo(name).absolutePath();
    QImage canvas = row(i).canvas->canvas();
    QString reason;
    if (!loadPictureOntoCanvas(name, canvas, &reason)) {
        m_dialogs->message(QStringLiteral("Open picture fail!"), QStringLiteral("Error"), Dialogs::Buttons::Ok,
                           QStringLiteral("%1: %2").arg(name, reason));
        return;
    }
    row(i).canvas->setCanvas(canvas);
    row(i).pan->setValue(kPanHome);
    panSlotPicture(i);
    renderSlots();
}

void MainWindow::saveSlotPicture(int i)
{
    const QString name =
        m_dialogs->saveFileName(QStringLiteral("Picture(*.bmp)|*.bmp"), QStringLiteral("bmp"), m_pictureFolder);
    if (name.isEmpty())
        return;
    m_pictureFolder = QFileInfo(name).absolutePath();
    QString reason;
    if (!saveCanvasAsBmp(row(i).canvas->canvas(), name, &reason))
        m_dialogs->message(QStringLiteral("Save picture fail!"), QStringLiteral("Error"), Dialogs::Buttons::Ok,
                           QStringLiteral("%1: %2").arg(name, reason));
}

void MainWindow::panSlotPicture(int i)
{
    row(i).canvas->move(-row(i).pan->value(), row(i).canvas->y());
}

} // namespace glintag
