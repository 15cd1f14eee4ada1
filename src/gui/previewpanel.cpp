#include "gui/previewpanel.h"

#include "badge/badgesetup.h"
#include "badge/limits.h"
#include "i18n/previewtexts.h"

#include <QApplication>

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

constexpr int kDotsHeight = kRowCount * kDotPitch; // the strip's 48
constexpr int kCaptionHeight = 18;
constexpr int kFaceGap = 10; // between the face and the strip, side by side
constexpr int kRowGap = 4;
// Three warning lines (a 16-pixel icon or a caption line each) in the list's frame.
constexpr int kThreeWarnings = 3 * 22 + 4;
constexpr int kNarrowestStrip = 300;

int stripHeight()
{
    return kDotsHeight + 4 + QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent); // a 2-pixel frame
}

QSize faceBoxSize(int faceWidth, int pitch)
{
    return {faceWidth * pitch + 2, kRowCount * pitch + 2};
}

// The dots of columns [col0, col1) drawn at x = col0 × pitch of the widget.
template<typename Lit>
void paintExposed(QWidget *w, const QRect &exposed, int columns, const Lit &lit, int pitch = kDotPitch,
                  QRgb litColour = kLitDot)
{
    QPainter p(w);
    p.fillRect(exposed, QColor(kDotGap));
    const int col0 = std::max(0, exposed.left() / pitch);
    const int col1 = std::min(columns, exposed.right() / pitch + 1);
    if (col1 <= col0)
        return;
    QImage image((col1 - col0) * pitch, kRowCount * pitch, QImage::Format_RGB32);
    image.fill(kDotGap);
    paintDots(image, col0, col1, lit, pitch, litColour);
    p.drawImage(col0 * pitch, 0, image);
}

// The frame of a Tab stop: mid grey, the highlight colour while it has the
// keyboard focus.
class FocusFrame : public QObject {
public:
    using QObject::QObject;
    void watch(QFrame *frame)
    {
        frame->installEventFilter(this);
        paint(frame, false);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)
            paint(static_cast<QFrame *>(watched), event->type() == QEvent::FocusIn);
        return false;
    }

private:
    static void paint(QFrame *frame, bool focused)
    {
        QPalette p = frame->palette();
        p.setColor(QPalette::WindowText, p.color(focused ? QPalette::Highlight : QPalette::Mid));
        frame->setPalette(p);
    }
};

} // namespace

QRgb litDotFor(int brightness)
{
    brightness = std::clamp(brightness, 1, kBrightnessMax);
    const int red = 214 + (255 - 214) * (brightness - 1) / (kBrightnessMax - 1);
    const int other = qGreen(kLitDot) * red / 255;
    return qRgb(red, other, other);
}

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

void FaceView::setLook(int pitch, QRgb lit)
{
    if (pitch == m_pitch && lit == m_lit)
        return;
    m_pitch = pitch;
    m_lit = lit;
    update();
}

void FaceView::paintEvent(QPaintEvent *event)
{
    paintExposed(
        this, event->rect(), m_frame.width, [this](int r, int c) { return m_frame.lit(r, c); }, m_pitch, m_lit);
}

PreviewPanel::PreviewPanel(QWidget *parent) : QWidget(parent)
{
    m_faceCaption = new QLabel(this);
    m_stripCaption = new QLabel(this);

    m_faceBox = new QFrame(this);
    m_faceBox->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_face = new FaceView(m_faceBox);
    m_face->move(1, 1);
    m_faceWidth = kModelR1.faceWidth;
    FaceFrame blank;
    blank.width = kModelR1.faceWidth;
    m_face->setFrame(blank);

    m_stripArea = new QScrollArea(this);
    // A bar only when the slot is longer than the view; its room is kept
    // either way so nothing below moves.
    m_stripArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_stripArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Beyond the slot's last column the strip shows the gaps' colour.
    QPalette gap = m_stripArea->viewport()->palette();
    gap.setColor(QPalette::Window, QColor(kDotGap));
    m_stripArea->viewport()->setPalette(gap);
    m_stripArea->viewport()->setAutoFillBackground(true);
    m_strip = new DotStrip(m_stripArea);
    m_stripArea->setWidget(m_strip);
    m_stripArea->setWidgetResizable(false);

    m_warningList = new QListWidget(this);
    m_warningList->setWordWrap(true);
    m_warningList->setIconSize(QSize(16, 16));
    m_warningList->setSelectionMode(QAbstractItemView::NoSelection);
    m_warningList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_warningList->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Both are Tab stops (the keys scroll them); a frame in the highlight
    // colour shows which has the focus.
    auto *focusFrame = new FocusFrame(this);
    for (QFrame *stop : {static_cast<QFrame *>(m_stripArea), static_cast<QFrame *>(m_warningList)}) {
        stop->setFocusPolicy(Qt::StrongFocus);
        stop->setFrameStyle(QFrame::Box | QFrame::Plain);
        stop->setLineWidth(2);
        focusFrame->watch(stop);
    }

    m_faceClock = new QTimer(this);
    connect(m_faceClock, &QTimer::timeout, this, [this] { stepFace(); });

    showTexts();
    arrange();
}

QSize PreviewPanel::minimumStacked()
{
    const QSize face = faceBoxSize(widestFace(), kDotPitch);
    return {std::max(face.width(), 240),
            kCaptionHeight + face.height() + kRowGap + kCaptionHeight + stripHeight() + kRowGap + kThreeWarnings};
}

QSize PreviewPanel::minimumSideBySide()
{
    const QSize face = faceBoxSize(widestFace(), kDotPitch);
    return {face.width() + kFaceGap + kNarrowestStrip,
            kCaptionHeight + std::max(face.height(), stripHeight()) + kRowGap + kThreeWarnings};
}

// Tall room stacks the parts; the face's pitch is as large as the width and
// the three warning lines allow, and the warnings take what is left. The
// pitch goes by the widest model so a change of model moves nothing else.
void PreviewPanel::arrange()
{
    const int w = width(), h = height();
    m_stacked = h * 3 >= w * 2;
    const int strip = stripHeight();
    int pitch = kDotPitch;
    if (m_stacked) {
        const int fixed = 2 * kCaptionHeight + 2 * kRowGap + strip + kThreeWarnings + 2;
        pitch = std::min((w - 2) / widestFace(), (h - fixed) / kRowCount);
    } else {
        const int fixed = kCaptionHeight + kRowGap + kThreeWarnings + 2;
        pitch = std::min((w - kFaceGap - kNarrowestStrip - 2) / widestFace(), (h - fixed) / kRowCount);
    }
    pitch = std::clamp(pitch, kDotPitch, kLargestFacePitch);
    const QSize box = faceBoxSize(m_faceWidth, pitch);
    m_face->setLook(pitch, m_face->litColour());
    m_face->resize(m_faceWidth * pitch, kRowCount * pitch);
    int warningsTop = 0;
    if (m_stacked) {
        m_faceCaption->setGeometry(0, 0, w, kCaptionHeight);
        m_faceBox->setGeometry(0, kCaptionHeight, box.width(), box.height());
        const int stripTop = kCaptionHeight + box.height() + kRowGap;
        m_stripCaption->setGeometry(0, stripTop, w, kCaptionHeight);
        m_stripArea->setGeometry(0, stripTop + kCaptionHeight, w, strip);
        warningsTop = stripTop + kCaptionHeight + strip + kRowGap;
    } else {
        const int widestBox = faceBoxSize(widestFace(), pitch).width();
        const int stripLeft = widestBox + kFaceGap;
        m_faceCaption->setGeometry(0, 0, stripLeft - 4, kCaptionHeight);
        m_faceBox->setGeometry(0, kCaptionHeight, box.width(), box.height());
        m_stripCaption->setGeometry(stripLeft, 0, w - stripLeft, kCaptionHeight);
        m_stripArea->setGeometry(stripLeft, kCaptionHeight, w - stripLeft, strip);
        warningsTop = kCaptionHeight + std::max(box.height(), strip) + kRowGap;
    }
    m_warningList->setGeometry(0, warningsTop, w, std::max(0, h - warningsTop));
}

void PreviewPanel::showSetup(const BadgeSetup &setup, const Rendering &rendering)
{
    m_rendering = rendering;
    showSetup(setup);
}

void PreviewPanel::showSetup(const BadgeSetup &setup)
{
    m_warnings = findLossWarnings(setup, m_rendering);
    const int width = badgeModel(setup.model).faceWidth;
    setBrightness(setup.brightness);
    if (width != m_faceWidth) {
        m_faceWidth = width;
        arrange();
    }
    m_player.setPieces(facePieces(setup, m_rendering.dots, m_rendering.sent), width, m_workingSlot);
    m_face->setFrame(m_player.frame());
    showStrip();
    showTexts();
    updateClock();
}

void PreviewPanel::setBrightness(const QString &brightness)
{
    bool numeric = false;
    const int level = brightness.toInt(&numeric);
    m_face->setLook(m_face->pitch(), litDotFor(numeric ? level : kBrightnessMax));
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
    m_faceBox->setAccessibleName(t.faceCaption);
    m_stripArea->setAccessibleName(m_stripCaption->text());
    m_warningList->setAccessibleName(t.warningsName);

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
    arrange();
}

void PreviewPanel::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    updateClock();
}

} // namespace glintag
