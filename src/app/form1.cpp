#include "form1.h"

#include "i18n/captionfonts.h"
#include "i18n/columnlayout.h"
#include "i18n/languages.h"
#include "link/portnames.h"
#include "link/qtserialport.h"
#include "link/serialport.h"
#include "link/uploader.h"
#include "link/uploadstream.h"
#include "render/messagebuilder.h"
#include "render/picturefile.h"
#include "settings/profilefile.h"
#include "settings/settings.h"
#include "stripwidgets.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

namespace glintag {

namespace {

// The layout is designed in twips, 15 to a pixel.
constexpr int px(int twips) { return twips / 15; }

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

class WindowAlternateBoxes : public AlternateBoxes {
public:
    explicit WindowAlternateBoxes(Form1 &w) : m_w(w) {}
    bool isChecked(int i) const override { return m_w.ChkAlt[i]->isChecked(); }
    // Raises the box's change notification, which re-enters the rule.
    void setChecked(int i, bool checked) override { m_w.ChkAlt[i]->setChecked(checked); }
    void setEnabled(int i, bool enabled) override { m_w.ChkAlt[i]->setEnabled(enabled); }

private:
    Form1 &m_w;
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

QCheckBox *makeCheck(QWidget *parent, int x, int y)
{
    auto *c = new QCheckBox(parent);
    c->setGeometry(x, y, px(kCheckBoxWidth), px(kCheckBoxWidth));
    return c;
}

// Only the family follows the language's character set; face size, weight
// and style stay as designed.
void setCharset(QWidget *w, const QStringList &families)
{
    QFont f = w->font();
    f.setFamilies(families);
    w->setFont(f);
}

void setLeft(QWidget *w, int x) { w->move(x, w->y()); }

QStringList numberItems(int n)
{
    QStringList items;
    for (int i = 1; i <= n; ++i)
        items << QString::number(i);
    return items;
}

} // namespace

Form1::Form1(Form1Options options)
    : m_programDir(options.programDir.isEmpty() ? QCoreApplication::applicationDirPath() : options.programDir),
      m_dialogs(options.dialogs ? options.dialogs : std::make_shared<WidgetDialogs>(this))
{
    m_settingsPath = settingsFilePath(m_programDir);
    {
        // Port names that stand for devices of the user's choosing.
        ProfileFile file;
        file.load(m_settingsPath);
        const QStringList devices = options.systemDevices ? options.systemDevices() : systemSerialDevices();
#ifdef _WIN32
        Q_UNUSED(devices);
        m_portMap = PortMap::identity();
#else
        m_portMap = PortMap::build(file.sectionEntries(QStringLiteral("Ports")), devices);
#endif
    }
    m_port = options.port ? options.port : std::make_shared<QtSerialPort>(m_portMap);
    MSComm1 = m_port.get();

    setWindowTitle(QStringLiteral("Glintag Ver 6.00"));
    setFont(QFont(QStringLiteral("Arial"), 9));
    setFixedSize(px(15030), px(10155));
    buildControls();
    wireEvents();

    Timer1 = new QTimer(this);
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, [this] { onTimer1(); });
    Timer1->start();

    startUp();
}

Form1::~Form1() = default;

void Form1::buildControls()
{
    LblTitle = makeLabel(this, QStringLiteral("     Glintag    "), px(120), 0, px(14775), px(465), Qt::AlignCenter);
    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setPointSizeF(20.25);
    titleFont.setBold(true);
    titleFont.setItalic(true);
    titleFont.setUnderline(true);
    LblTitle->setFont(titleFont);
    LblTitle->setStyleSheet(QStringLiteral("color: #0000ff"));

    Frame9 = new QFrame(this);
    Frame9->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Frame9->setGeometry(px(120), px(480), px(kSlotFrameWidth), px(8325));

    const int ht = px(kHeaderTop), hh = px(kHeaderHeight);
    const auto centre = Qt::AlignHCenter | Qt::AlignTop;
    LblSelect = makeLabel(Frame9, QStringLiteral("Select"), px(120), ht, px(735), hh, centre);
    LblText = makeLabel(Frame9, QStringLiteral("Show Text or Image"), px(1200), ht, px(6975), hh, centre);
    LblImage = makeLabel(Frame9, QStringLiteral("Image"), px(8640), ht, px(615), hh, centre);
    LblVShw = makeLabel(Frame9, QStringLiteral("VShow"), px(9180), ht, px(735), hh, centre);
    LblVShw->hide();
    LblSpeed = makeLabel(Frame9, QStringLiteral("Speed"), px(9480), ht, px(900), hh, centre);
    LblMode = makeLabel(Frame9, QStringLiteral("Move Mode"), px(10320), ht, px(kComModWidth), hh, centre);
    LblFlash = makeLabel(Frame9, QStringLiteral("Flash"), px(11880), ht, px(480), hh, centre);
    LblLoopLamp = makeLabel(Frame9, QStringLiteral("Loop Lamp"), px(12540), ht, px(1080), hh, centre);
    LblAlternate = makeLabel(Frame9, QStringLiteral("Alternate"), px(13680), ht, px(975), hh, centre);

    for (int i = 0; i < kSlotCount; ++i)
        buildSlotRow(i);

    // Settings row: labels first so the combo boxes, moved per language,
    // stay on top of them.
    const int lt = px(9045), ct = px(9000), lh = px(255);
    // The design fixes only the labels' left edges; each is as wide as its
    // longest caption needs, and the combo box after it is drawn on top.
    LblLanguage = makeLabel(this, QStringLiteral("Language :"), px(240), lt, 72, lh);
    LblBright = makeLabel(this, QStringLiteral("Bright :"), px(3360), lt, 48, lh);
    LblType = makeLabel(this, QStringLiteral("Type:"), px(5040), lt, 64, lh);
    LblPort = makeLabel(this, QStringLiteral("Port :"), px(6840), lt, 76, lh);

    ComLanguage = makeCombo(this,
                            {QStringLiteral("SimpChinese"), QStringLiteral("TradChinese"), QStringLiteral("Japanese"),
                             QStringLiteral("Korean"), QStringLiteral("English")},
                            px(1320), ct, px(1740));
    ComBright = makeCombo(this, numberItems(4), px(4080), ct, px(615));
    ComBright->setCurrentIndex(3);
    ComType = makeCombo(this, {QStringLiteral("R1"), QStringLiteral("R2")}, px(5640), ct, px(855));
    QStringList ports;
    for (int n = 1; n <= 32; ++n)
        ports << QStringLiteral("COM%1").arg(n);
    ComSele = makeCombo(this, ports, px(7440), ct, px(1095));

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setGeometry(px(8760), ct, px(2415), px(375));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);

    CmdSend = new QPushButton(QStringLiteral("Send"), this);
    CmdSend->setGeometry(px(11400), ct, px(1575), px(375));
    CmdExit = new QPushButton(QStringLiteral("Exit"), this);
    CmdExit->setGeometry(px(13200), ct, px(1575), px(375));

    Line1 = new QFrame(this);
    Line1->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    Line1->setGeometry(px(120), px(9570) - 1, px(14880) - px(120), 2);

    LblUseing = makeLabel(this, QStringLiteral("Memory Useing state :"), px(240), px(9720), px(2295), lh,
                          Qt::AlignRight | Qt::AlignTop);
    Picture2 = new GaugeStrip(this);
    Picture2->setGeometry(px(2880), px(9750), px(11580), px(225));
}

void Form1::buildSlotRow(int i)
{
    const int top = px(kRowTop + kRowPitch * i);
    ChkSel[i] = makeCheck(Frame9, px(360), top);

    TxtMsg[i] = new QLineEdit(QStringLiteral("Message%1").arg(i + 1), Frame9);
    TxtMsg[i]->setGeometry(px(kTxtMsgLeft), top, px(kTxtMsgWidth), px(kTextHeight));
    QPalette pal = TxtMsg[i]->palette();
    pal.setColor(QPalette::Text, QColor(slotColour(i)));
    TxtMsg[i]->setPalette(pal);

    // The picture strip that takes the text box's place in image mode.
    Picture1[i] = new QFrame(Frame9);
    Picture1[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Picture1[i]->setLineWidth(2);
    Picture1[i]->setGeometry(px(840), top, px(4920), px(kTextHeight));
    // The inner 324 × 18 area clips the canvas.
    auto *clip = new QWidget(Picture1[i]);
    clip->setGeometry(2, 2, px(4920) - 4, px(kTextHeight) - 4);
    clip->setAutoFillBackground(true);
    PicBox[i] = new CanvasBox(clip);
    PicBox[i]->move(3, 3);

    HScroll1[i] = new QScrollBar(Qt::Horizontal, Frame9);
    HScroll1[i]->setGeometry(px(5730), top, px(405), px(kTextHeight));
    HScroll1[i]->setRange(-3, 3775);
    HScroll1[i]->setValue(-3);
    HScroll1[i]->setSingleStep(8);
    HScroll1[i]->setPageStep(324);

    CmdLdPic[i] = new QPushButton(QStringLiteral("Load"), Frame9);
    CmdLdPic[i]->setGeometry(px(6240), top, px(1095), px(kTextHeight));
    CmdSvPic[i] = new QPushButton(QStringLiteral("Save"), Frame9);
    CmdSvPic[i]->setGeometry(px(7440), top, px(1095), px(kTextHeight));
    Picture1[i]->hide();
    HScroll1[i]->hide();
    CmdLdPic[i]->hide();
    CmdSvPic[i]->hide();

    ChkImg[i] = makeCheck(Frame9, px(8880), top);
    ChkVShow[i] = makeCheck(Frame9, px(9420), top);
    ChkVShow[i]->hide();
    ComSpd[i] = makeCombo(Frame9, numberItems(8), px(9480), top, px(kComSpdWidth));
    ComSpd[i]->setCurrentIndex(3);
    QStringList modes;
    for (int k = 0; k < (i == 0 ? 8 : 7); ++k)
        modes << languageRecord(UiEnglish).moveModes[k];
    ComMod[i] = makeCombo(Frame9, modes, px(10320), top, px(kComModWidth));
    ChkFls[i] = makeCheck(Frame9, px(12000), top);
    ChkRun[i] = makeCheck(Frame9, px(12960), top);
    ChkAlt[i] = makeCheck(Frame9, px(14040), top);
}

void Form1::wireEvents()
{
    for (int i = 0; i < kSlotCount; ++i) {
        connect(TxtMsg[i], &QLineEdit::textChanged, this, [this, i] { onSlotChanged(i); });
        connect(ChkSel[i], &QCheckBox::toggled, this, [this, i] { onSlotChanged(i); });
        connect(ChkRun[i], &QCheckBox::toggled, this, [this, i] { onSlotChanged(i); });
        connect(ComMod[i], &QComboBox::currentIndexChanged, this, [this, i] {
            // Long mode names are wider than the box: show their beginning.
            ComMod[i]->lineEdit()->setCursorPosition(0);
            onSlotChanged(i);
        });
        connect(ChkImg[i], &QCheckBox::toggled, this, [this, i] { SetSlotImageMode(i); });
        connect(ChkAlt[i], &QCheckBox::toggled, this, [this] {
            WindowAlternateBoxes boxes(*this);
            EnforceAlternateRun(boxes);
        });
        connect(HScroll1[i], &QScrollBar::valueChanged, this, [this, i] { PanSlotPicture(i); });
        connect(CmdLdPic[i], &QPushButton::clicked, this, [this, i] { LoadSlotPicture(i); });
        connect(CmdSvPic[i], &QPushButton::clicked, this, [this, i] { SaveSlotPicture(i); });
    }
    connect(ComType, &QComboBox::currentIndexChanged, this, [this] { onSlotChanged(0); });
    connect(ComLanguage, &QComboBox::currentIndexChanged, this, [this] { ApplyUiLanguage(); });
    connect(CmdSend, &QPushButton::clicked, this, [this] { onCmdSend(); });
    connect(CmdExit, &QPushButton::clicked, this, [this] { close(); });
}

void Form1::startUp()
{
    SettingsLoaded = false;
    LoadSettings();
    SettingsLoaded = true;
    ScanSerialPorts();
}

void Form1::LoadSettings()
{
    const Settings stored = loadSettingsFile(m_settingsPath);
    for (int i = 0; i < kSlotCount; ++i) {
        const SlotSettings &slot = stored.slots[i];
        // Every assignment raises its control's event, as a user's would.
        TxtMsg[i]->setText(slot.text);
        ChkSel[i]->setChecked(slot.select != 0);
        ComSpd[i]->setCurrentIndex(slot.speedIndex);
        ComMod[i]->setCurrentIndex(slot.mode);
        ChkFls[i]->setChecked(slot.flash != 0);
        ChkRun[i]->setChecked(slot.loopLamp != 0);
        ChkImg[i]->setChecked(slot.image != 0);
        ChkVShow[i]->setChecked(slot.verticalShow != 0);
    }
    // The language is applied even when the stored index equals the
    // current one and so raises no change.
    ComLanguage->setCurrentIndex(stored.language);
    ApplyUiLanguage();

    if (stored.alternateMsgNum != 0) {
        const int end = std::min(int(stored.alternateBeginMsg) + int(stored.alternateMsgNum), kSlotCount);
        for (int i = stored.alternateBeginMsg; i < end; ++i)
            ChkAlt[i]->setChecked(true);
    }
}

void Form1::SaveSettings()
{
    Settings s;
    for (int i = 0; i < kSlotCount; ++i) {
        SlotSettings &slot = s.slots[i];
        slot.text = TxtMsg[i]->text();
        slot.select = ChkSel[i]->isChecked() ? 1 : 0;
        slot.speedIndex = ComSpd[i]->currentIndex();
        slot.mode = ComMod[i]->currentIndex();
        slot.flash = ChkFls[i]->isChecked() ? 1 : 0;
        slot.loopLamp = ChkRun[i]->isChecked() ? 1 : 0;
        slot.image = ChkImg[i]->isChecked() ? 1 : 0;
        slot.verticalShow = ChkVShow[i]->isChecked() ? 1 : 0;
    }
    s.language = ComLanguage->currentIndex();
    FindAlternateGroup();
    s.alternateBeginMsg = alternateGroup.beginMsg;
    s.alternateMsgNum = alternateGroup.msgNum;
    // A failed write is not reported: closing must never be held up by it,
    // and the old file stays intact.
    saveSettingsFile(m_settingsPath, s);
}

void Form1::ScanSerialPorts()
{
    const PortScan scan = glintag::ScanSerialPorts(*MSComm1);
    ComSele->clear();
    for (const QString &name : scan.names) {
        ComSele->addItem(name);
        ComSele->setItemData(ComSele->count() - 1, m_portMap.devicePath(name), Qt::ToolTipRole);
    }
    const int chosen = ComSele->findText(scan.chosen);
    ComSele->setCurrentIndex(chosen);
    if (chosen < 0)
        ComSele->clearEditText();
}

bool Form1::ReadComSet()
{
    if (glintag::ReadComSet(*MSComm1, ComSele->currentText()))
        return true;
    m_dialogs->message(QStringLiteral("Set Port Number Error!"), QStringLiteral("Error"), Dialogs::Buttons::Ok);
    return false;
}

void Form1::onCmdSend()
{
    if (MSComm1->isOpen()) {
        m_dialogs->message(QStringLiteral("Sending!"), QStringLiteral("Waiting"), Dialogs::Buttons::Ok);
        return;
    }
    qint16 total = 0;
    for (int i = 0; i < kSlotCount; ++i)
        if (ChkSel[i]->isChecked())
            total = qint16(total + m_rowBytes[i]);
    if (total <= 0) {
        m_dialogs->message(QStringLiteral("No Sending Text! Do Not Send!"), QStringLiteral("Note"),
                           Dialogs::Buttons::Ok);
        return;
    }
    if (!ReadComSet())
        return;
    Sending();
    MSComm1->close();
}

QString Form1::openFailureDetail() const
{
    QString detail = QStringLiteral("%1: %2").arg(MSComm1->devicePath(), MSComm1->errorText());
    if (MSComm1->permissionDenied())
        detail += QStringLiteral("\nTo use this port, make your user a member of the group that owns the device "
                                 "(usually \"dialout\": sudo adduser $USER dialout), then log out and in again.");
    return detail;
}

void Form1::Sending()
{
    if (!MSComm1->open()) {
        m_dialogs->message(QStringLiteral("Port in use or not port"), QStringLiteral("Warning"), Dialogs::Buttons::Ok,
                           openFailureDetail());
        return;
    }
    if (!MSComm1->isOpen()) {
        MSComm1->setDtr(false);
        m_dialogs->message(QStringLiteral("Open port fail!"), QStringLiteral("Error"), Dialogs::Buttons::Ok);
        return;
    }
    // Devices without modem lines (a pseudo-terminal) refuse DTR; the
    // upload goes on regardless.
    MSComm1->setDtr(true);
    ProgressBar1->setMaximum(12);
    ProgressBar1->setMinimum(0);
    ProgressBar1->setValue(1);
    RefreshMessageData();

    // The upload sends from its own copy, so edits made while it waits for
    // the line re-render the window but never change what is on the wire.
    auto snapshot = std::make_unique<UploadSnapshot>();
    snapshot->dots = m_dots;
    snapshot->rowBytes = m_rowBytes;
    for (int i = 0; i < kSlotCount; ++i) {
        SlotOptions &o = snapshot->options.slotOptions[i];
        o.speed = ComSpd[i]->currentText();
        o.flash = ChkFls[i]->isChecked() ? 1 : 0;
        o.loopLamp = ChkRun[i]->isChecked() ? 1 : 0;
        o.modeIndex = ComMod[i]->currentIndex();
    }
    snapshot->options.brightness = ComBright->currentText();
    FindAlternateGroup();
    snapshot->options.alternateBeginMsg = alternateGroup.beginMsg;
    snapshot->options.alternateMsgNum = alternateGroup.msgNum;

    Uploader uploader(*MSComm1);
    uploader.setProgressCallback([this](int value) { ProgressBar1->setValue(value); });
    m_uploader = &uploader;
    uploader.run(*snapshot);
    m_uploader = nullptr;
}

void Form1::closeEvent(QCloseEvent *event)
{
    bool leave = true;
    if (MSComm1->isOpen())
        leave = m_dialogs->message(QStringLiteral("Sending! Are you exit?"), QStringLiteral("Warning"),
                                   Dialogs::Buttons::YesNo) == Dialogs::Answer::Yes;
    if (leave && m_uploader) {
        // Stop the upload where it stands; it returns without touching the
        // port again once this handler is done.
        m_uploader->cancel();
        MSComm1->close();
    }
    SaveSettings();
    if (leave)
        event->accept();
    else
        event->ignore();
}

void Form1::onSlotChanged(int)
{
    if (SettingsLoaded)
        RefreshMessageData();
}

void Form1::onTimer1()
{
    RefreshMessageData();
    Timer1->setInterval(0);
    Timer1->stop();
}

void Form1::RefreshMessageData()
{
    RenderRequest request;
    request.uiLanguage = ComLanguage->currentIndex();
    request.model = ComType->currentText();
    for (int i = 0; i < kSlotCount; ++i) {
        SlotRenderInput &in = request.slot[i];
        in.selected = ChkSel[i]->isChecked();
        in.image = ChkImg[i]->isChecked();
        in.text = TxtMsg[i]->text();
        in.vertical = ChkVShow[i]->isChecked();
        in.modeIndex = ComMod[i]->currentIndex();
        if (in.image)
            in.canvas = PicBox[i]->canvas();
    }
    renderMessages(request, m_programDir, m_dots, m_rowBytes);
    ++m_renderRuns;
    Picture2->setSpans(gaugeSpans(m_rowBytes));
}

void Form1::FindAlternateGroup()
{
    std::array<bool, kSlotCount> checked{};
    for (int i = 0; i < kSlotCount; ++i)
        checked[i] = ChkAlt[i]->isChecked();
    alternateGroup = glintag::FindAlternateGroup(checked);
}

void Form1::SetSlotImageMode(int i)
{
    const bool picture = ChkImg[i]->isChecked();
    TxtMsg[i]->setVisible(!picture);
    Picture1[i]->setVisible(picture);
    CmdLdPic[i]->setVisible(picture);
    CmdSvPic[i]->setVisible(picture);
    HScroll1[i]->setVisible(picture);
    onSlotChanged(i);
}

void Form1::LoadSlotPicture(int i)
{
    if (MSComm1->isOpen()) {
        m_dialogs->message(QStringLiteral("Sending!"), QStringLiteral("Waits"), Dialogs::Buttons::Ok);
        return;
    }
    const QString name =
        m_dialogs->openFileName(QStringLiteral("Picture(*.bmp;*.gif;*.jpg;*.ico)|*.bmp;*.gif;*.jpg;*.ico"));
    if (name.isEmpty())
        return;
    QImage canvas = PicBox[i]->canvas();
    QString reason;
    if (!loadPictureOntoCanvas(name, canvas, &reason)) {
        m_dialogs->message(QStringLiteral("Open picture fail!"), QStringLiteral("Error"), Dialogs::Buttons::Ok,
                           QStringLiteral("%1: %2").arg(name, reason));
        return;
    }
    PicBox[i]->setCanvas(canvas);
    HScroll1[i]->setValue(-3);
    PanSlotPicture(i);
    RefreshMessageData();
}

void Form1::SaveSlotPicture(int i)
{
    const QString name = m_dialogs->saveFileName(QStringLiteral("Picture(*.bmp)|*.bmp"), QStringLiteral("bmp"));
    if (name.isEmpty())
        return;
    QString reason;
    if (!saveCanvasAsBmp(PicBox[i]->canvas(), name, &reason))
        m_dialogs->message(QStringLiteral("Save picture fail!"), QStringLiteral("Error"), Dialogs::Buttons::Ok,
                           QStringLiteral("%1: %2").arg(name, reason));
}

void Form1::PanSlotPicture(int i)
{
    PicBox[i]->move(-HScroll1[i]->value(), PicBox[i]->y());
}

} // namespace glintag

namespace glintag {

void Form1::ApplyUiLanguage()
{
    const LanguageRecord &rec = languageRecord(ComLanguage->currentIndex());
    const bool english = !rec.showsVerticalShow;
    const QStringList families = captionFamilies(rec.charset, installedFaces(rec.charset));

    setCharset(this, families);
    for (QWidget *w : {static_cast<QWidget *>(LblTitle), static_cast<QWidget *>(LblSelect), static_cast<QWidget *>(LblText),
                       static_cast<QWidget *>(LblImage), static_cast<QWidget *>(LblSpeed), static_cast<QWidget *>(LblMode),
                       static_cast<QWidget *>(LblFlash), static_cast<QWidget *>(LblLoopLamp),
                       static_cast<QWidget *>(LblAlternate), static_cast<QWidget *>(LblLanguage),
                       static_cast<QWidget *>(LblBright), static_cast<QWidget *>(LblPort), static_cast<QWidget *>(LblType),
                       static_cast<QWidget *>(LblUseing), static_cast<QWidget *>(CmdSend), static_cast<QWidget *>(CmdExit)})
        setCharset(w, families);
    if (!english)
        setCharset(LblVShw, families);

    LblTitle->setText(rec.LblTitle);
    LblSelect->setText(rec.LblSelect);
    LblText->setText(rec.LblText);
    LblImage->setText(rec.LblImage);
    LblSpeed->setText(rec.LblSpeed);
    LblMode->setText(rec.LblMode);
    LblFlash->setText(rec.LblFlash);
    LblLoopLamp->setText(rec.LblLoopLamp);
    LblAlternate->setText(rec.LblAlternate);

    const SettingsRowLefts &row = rec.settingsRow;
    auto moveSettingsRow = [&] {
        setLeft(ComLanguage, row.ComLanguage);
        setLeft(LblBright, row.LblBright);
        setLeft(ComBright, row.ComBright);
        setLeft(LblType, row.LblType);
        setLeft(ComType, row.ComType);
        setLeft(LblPort, row.LblPort);
        setLeft(ComSele, row.ComSele);
    };
    if (!english) {
        LblLanguage->setText(rec.LblLanguage);
        moveSettingsRow();
    } else {
        // The English layout hides the vertical-show column; its boxes keep
        // their ticks.
        placeColumns(columnsWithoutVerticalShow());
        moveSettingsRow();
        LblLanguage->setText(rec.LblLanguage);
    }
    LblBright->setText(rec.LblBright);
    LblPort->setText(rec.LblPort);
    LblType->setText(rec.LblType);
    LblUseing->setText(rec.LblUseing);

    for (int i = 0; i < kSlotCount; ++i) {
        setCharset(TxtMsg[i], families);
        setCharset(CmdLdPic[i], families);
        setCharset(CmdSvPic[i], families);
        setCharset(ComMod[i], families);
        CmdLdPic[i]->setText(rec.CmdLdPic);
        CmdSvPic[i]->setText(rec.CmdSvPic);
        for (int k = 0; k < 7; ++k)
            ComMod[i]->setItemText(k, rec.moveModes[k]);
    }
    ComMod[0]->setItemText(kAnimationModeIndex, rec.moveModes[kAnimationModeIndex]);
    // A renamed current item leaves the edit field scrolled to its end.
    for (QComboBox *mode : ComMod)
        mode->lineEdit()->setCursorPosition(0);

    CmdSend->setText(rec.CmdSend);
    CmdExit->setText(rec.CmdExit);
    if (!english) {
        LblVShw->setText(rec.LblVShw);
        ArrangeColumns();
    }
    for (QLineEdit *t : TxtMsg)
        t->update();
}

void Form1::ArrangeColumns()
{
    placeColumns(columnsWithVerticalShow());
}

void Form1::placeColumns(const ColumnLayout &layout)
{
    setLeft(LblImage, px(layout.LblImage));
    setLeft(LblSpeed, px(layout.LblSpeed));
    setLeft(LblMode, px(layout.LblMode));
    setLeft(LblFlash, px(layout.LblFlash));
    setLeft(LblLoopLamp, px(layout.LblLoopLamp));
    LblAlternate->resize(px(layout.LblAlternateWidth), LblAlternate->height());
    setLeft(LblAlternate, px(layout.LblAlternate));
    LblVShw->setVisible(layout.verticalShowVisible);
    for (int i = 0; i < kSlotCount; ++i) {
        setLeft(ChkImg[i], px(layout.ChkImg));
        setLeft(ComSpd[i], px(layout.ComSpd));
        setLeft(ComMod[i], px(layout.ComMod));
        setLeft(ChkFls[i], px(layout.ChkFls));
        setLeft(ChkRun[i], px(layout.ChkRun));
        setLeft(ChkAlt[i], px(layout.ChkAlt));
        ChkVShow[i]->setVisible(layout.verticalShowVisible);
    }
}

} // namespace glintag
