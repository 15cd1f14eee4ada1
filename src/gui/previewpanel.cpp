#include "gui/previewpanel.h"

#include "badge/badgesetup.h"
#include "i18n/previewtexts.h"

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

constexpr int kDotsHeight = kRowCount * kDotPitch; // 48
constexpr int kCaptionHeight = 18;
constexpr int kFaceBoxWidth = widestFace() * kDotPitch + 2;
constexpr int kStripLeft = kFaceBoxWidth + 10;
constexpr int kRowGap = 4;

// The dots of columns [col0, col1) drawn at x = col0 × pitch of the widget.
template<typename Lit> void paintExposed(QWidget *w, const QRect &exposed, int columns, const Lit &lit)
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
    m_faceCaption = new QLabel(this);
    m_faceCaption->setGeometry(0, 0, kFaceBoxWidth + 6, kCaptionHeight);
    m_stripCaption = new QLabel(this);

    m_faceBox = new QFrame(this);
    m_faceBox->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_faceBox->setGeometry(0, kCaptionHeight, kFaceBoxWidth, kDotsHeight + 2);
    m_face = new FaceView(m_faceBox);
    m_face->setGeometry(1, 1, kModelR1.faceWidth * kDotPitch, kDotsHeight);
    m_faceBox->resize(kModelR1.faceWidth * kDotPitch + 2, m_faceBox->height());
    FaceFrame blank;
    blank.width = kModelR1.faceWidth;
    m_face->setFrame(blank);

    m_stripArea = new QScrollArea(this);
    m_stripArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_stripArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_stripArea->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_stripArea->setLineWidth(1);
    // Beyond the slot's last column the strip shows the gaps' colour.
    QPalette gap = m_stripArea->viewport()->palette();
    gap.setColor(QPalette::Window, QColor(kDotGap));
    m_stripArea->viewport()->setPalette(gap);
    m_stripArea->viewport()->setAutoFillBackground(true);
    m_strip = new DotStrip(m_stripArea);
    m_stripArea->setWidget(m_strip);
    m_stripArea->setWidgetResizable(false);
    const int stripHeight = kDotsHeight + 2 + m_stripArea->horizontalScrollBar()->sizeHint().height();
    m_stripArea->setGeometry(kStripLeft, kCaptionHeight, 0, stripHeight);

    m_warningList = new QListWidget(this);
    m_warningList->setWordWrap(true);
    m_warningList->setIconSize(QSize(16, 16));
    m_warningList->setSelectionMode(QAbstractItemView::NoSelection);
    m_warningList->setFocusPolicy(Qt::NoFocus);
    m_warningList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_warningList->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    const int listTop = kCaptionHeight + stripHeight + kRowGap;
    m_warningList->setGeometry(0, listTop, 0, kHeight - listTop);

    m_faceClock = new QTimer(this);
    connect(m_faceClock, &QTimer::timeout, this, [this] { stepFace(); });

    resize(0, kHeight);
    showTexts();
}

void PreviewPanel::showSetup(const BadgeSetup &setup, const Rendering &rendering)
{
    m_rendering = rendering;
    m_warnings = findLossWarnings(setup, m_rendering);
    const int width = badgeModel(setup.model).faceWidth;
    m_face->resize(width * kDotPitch, kDotsHeight);
    m_faceBox->resize(width * kDotPitch + 2, m_faceBox->height());
    m_player.setPieces(facePieces(setup, m_rendering.dots, m_rendering.sent), width, m_workingSlot);
    m_face->setFrame(m_player.frame());
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
        m_face->setFrame(m_player.frame());
    if (m_faceClock->isActive() && m_faceClock->interval() != m_player.interval())
        m_faceClock->setInterval(m_player.interval());
}

void PreviewPanel::showStrip()
{
    SlotDots dots;
    dots.rows = m_rendering.dots.slot(m_workingSlot);
    dots.columns = m_rendering.sent[size_t(m_workingSlot)] * 8;
    m_strip->setDots(dots);
}

void PreviewPanel::showTexts()
{
    const PreviewTexts &t = previewTexts(m_language);
    m_faceCaption->setText(t.faceCaption);
    m_faceCaption->setToolTip(t.faceTooltip);
    m_faceBox->setToolTip(t.faceTooltip);
    const int sent = m_rendering.sent[size_t(m_workingSlot)];
    m_stripCaption->setText(
        t.stripCaption.arg(QString::number(m_workingSlot + 1), QString::number(sent), QString::number(sent * 8)));
    m_stripCaption->setToolTip(t.stripTooltip);
    m_stripArea->setToolTip(t.stripTooltip);

    m_warningList->clear();
    const QIcon icon = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    for (const LossWarning &w : m_warnings) {
        auto *item = new QListWidgetItem(icon, lossWarningText(w, m_language), m_warningList);
        item->setToolTip(item->text());
    }
}

void PreviewPanel::updateClock()
{
    const bool run = m_player.moves() && isVisible() && !window()->isMinimized();
    if (!run) {
        m_faceClock->stop();
        return;
    }
    m_faceClock->setInterval(m_player.interval());
    if (!m_faceClock->isActive())
        m_faceClock->start();
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
    m_stripCaption->setGeometry(kStripLeft, 0, width() - kStripLeft, kCaptionHeight);
    m_stripArea->resize(width() - kStripLeft, m_stripArea->height());
    m_warningList->resize(width(), m_warningList->height());
}

void PreviewPanel::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    updateClock();
}

} // namespace glintag
