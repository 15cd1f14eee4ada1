#include "gui/previewpanel.h"

#include "i18n/previewtexts.h"
#include "badge/badgesetup.h"

#include <QEvent>
#include <QLabel>
#include <QListWidget>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>

namespace glintag {

namespace {

constexpr int kDotsHeight = kRowCount * kDotPitch;   // 48
constexpr int kCaptionHeight = 18;
constexpr int kFaceBoxWidth = widestFace() * kDotPitch + 2;
constexpr int kStripLeft = kFaceBoxWidth + 10;
constexpr int kRowGap = 4;

// The dots of columns [col0, col1) drawn at x = col0 × pitch of the widget.
template <typename Lit>
void paintExposed(QWidget *w, const QRect &exposed, int columns, const Lit &lit)
{
    QPainter p(w);
    p.fillRect(exposed, QColor(kDotGap));
    const int col0 = std::max(0, exposed.left() / kDotPitch);
    const int col1 = std::min(columns, exposed.right() / kDotPitch + 1);
    if (col1 <= col0)
        return;
    QImage image((col1 - col0) * kDotPitch, kDotsHeight, QImage::Format_RGB32);
    image.fill(kDotGap);
    paintDots(image, col0, col1, lit);
    p.drawImage(col0 * kDotPitch, 0, image);
}

} // namespace

DotStrip::DotStrip(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(0, kDotsHeight);
}

void DotStrip::setDots(const SlotDots &dots)
{
    m_dots = dots;
    resize(dots.columns * kDotPitch, kDotsHeight);
    update();
}

void DotStrip::paintEvent(QPaintEvent *event)
{
    paintExposed(this, event->rect(), m_dots.columns, [this](int r, int c) { return m_dots.lit(r, c); });
}

FaceView::FaceView(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void FaceView::setFrame(const FaceFrame &frame)
{
    if (frame == m_frame)
        return;
    m_frame = frame;
    update();
}

void FaceView::paintEvent(QPaintEvent *event)
{
    paintExposed(this, event->rect(), m_frame.width, [this](int r, int c) { return m_frame.lit(r, c); });
}

PreviewPanel::PreviewPanel(QWidget *parent) : QWidget(parent)
{
    faceCaption = new QLabel(this);
    faceCaption->setGeometry(0, 0, kFaceBoxWidth + 6, kCaptionHeight);
    stripCaption = new QLabel(this);

    faceBox = new QFrame(this);
    faceBox->setFrameStyle(QFrame::Box | QFrame::Plain);
    faceBox->setGeometry(0, kCaptionHeight, kFaceBoxWidth, kDotsHeight + 2);
    face = new FaceView(faceBox);
    face->setGeometry(1, 1, kModelR1.faceWidth * kDotPitch, kDotsHeight);
    faceBox->resize(kModelR1.faceWidth * kDotPitch + 2, faceBox->height());
    FaceFrame blank;
    blank.width = kModelR1.faceWidth;
    face->setFrame(blank);

    stripArea = new QScrollArea(this);
    stripArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    stripArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    stripArea->setFrameStyle(QFrame::Box | QFrame::Plain);
    stripArea->setLineWidth(1);
    // Beyond the slot's last column the strip shows the gaps' colour.
    QPalette gap = stripArea->viewport()->palette();
    gap.setColor(QPalette::Window, QColor(kDotGap));
    stripArea->viewport()->setPalette(gap);
    stripArea->viewport()->setAutoFillBackground(true);
    strip = new DotStrip(stripArea);
    stripArea->setWidget(strip);
    stripArea->setWidgetResizable(false);
    const int stripHeight = kDotsHeight + 2 + stripArea->horizontalScrollBar()->sizeHint().height();
    stripArea->setGeometry(kStripLeft, kCaptionHeight, 0, stripHeight);

    warningList = new QListWidget(this);
    warningList->setWordWrap(true);
    warningList->setIconSize(QSize(16, 16));
    warningList->setSelectionMode(QAbstractItemView::NoSelection);
    warningList->setFocusPolicy(Qt::NoFocus);
    warningList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    warningList->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    const int listTop = kCaptionHeight + stripHeight + kRowGap;
    warningList->setGeometry(0, listTop, 0, kHeight - listTop);

    faceClock = new QTimer(this);
    connect(faceClock, &QTimer::timeout, this, [this] { stepFace(); });

    resize(0, kHeight);
    showTexts();
}

void PreviewPanel::showSetup(const BadgeSetup &setup, const Rendering &rendering)
{
    m_rendering = rendering;
    m_warnings = findLossWarnings(setup, m_rendering);
    const int width = badgeModel(setup.model).faceWidth;
    face->resize(width * kDotPitch, kDotsHeight);
    faceBox->resize(width * kDotPitch + 2, faceBox->height());
    m_player.setPieces(facePieces(setup, m_rendering.dots, m_rendering.sent), width, m_workingSlot);
    face->setFrame(m_player.frame());
    showStrip();
    showTexts();
    updateClock();
}

void PreviewPanel::setWorkingSlot(int slot)
{
    if (slot == m_workingSlot)
        return;
    m_workingSlot = slot;
    showStrip();
    showTexts();
}

void PreviewPanel::applyLanguage(int uiLanguage)
{
    m_language = uiLanguage;
    showTexts();
}

void PreviewPanel::stepFace()
{
    if (m_player.step())
        face->setFrame(m_player.frame());
    if (faceClock->isActive() && faceClock->interval() != m_player.interval())
        faceClock->setInterval(m_player.interval());
}

void PreviewPanel::showStrip()
{
    SlotDots dots;
    dots.rows = m_rendering.dots.slot(m_workingSlot);
    dots.columns = m_rendering.sent[size_t(m_workingSlot)] * 8;
    strip->setDots(dots);
}

void PreviewPanel::showTexts()
{
    const PreviewTexts &t = previewTexts(m_language);
    faceCaption->setText(t.faceCaption);
    faceCaption->setToolTip(t.faceTooltip);
    faceBox->setToolTip(t.faceTooltip);
    const int sent = m_rendering.sent[size_t(m_workingSlot)];
    stripCaption->setText(t.stripCaption.arg(QString::number(m_workingSlot + 1), QString::number(sent),
                                             QString::number(sent * 8)));
    stripCaption->setToolTip(t.stripTooltip);
    stripArea->setToolTip(t.stripTooltip);

    warningList->clear();
    const QIcon icon = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    for (const LossWarning &w : m_warnings) {
        auto *item = new QListWidgetItem(icon, lossWarningText(w, m_language), warningList);
        item->setToolTip(item->text());
    }
}

void PreviewPanel::updateClock()
{
    const bool run = m_player.moves() && isVisible() && !window()->isMinimized();
    if (!run) {
        faceClock->stop();
        return;
    }
    faceClock->setInterval(m_player.interval());
    if (!faceClock->isActive())
        faceClock->start();
}

bool PreviewPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_watchedWindow && event->type() == QEvent::WindowStateChange)
        updateClock();
    return QWidget::eventFilter(watched, event);
}

void PreviewPanel::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_watchedWindow != window()) {
        if (m_watchedWindow)
            m_watchedWindow->removeEventFilter(this);
        m_watchedWindow = window();
        m_watchedWindow->installEventFilter(this);
    }
    updateClock();
}

void PreviewPanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    stripCaption->setGeometry(kStripLeft, 0, width() - kStripLeft, kCaptionHeight);
    stripArea->resize(width() - kStripLeft, stripArea->height());
    warningList->resize(width(), warningList->height());
}

void PreviewPanel::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    updateClock();
}

} // namespace glintag
