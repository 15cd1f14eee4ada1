#include "gui/windowlayout.h"

#include "i18n/columnlayout.h"

#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>

namespace glintag {

QLabel *makeLabel(QWidget *parent, const QString &text, int x, int y, int w, int h, Qt::Alignment align)
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

QString withMnemonicInPlace(const QString &caption, char key)
{
    const QChar upper = QChar(QLatin1Char(key)).toUpper();
    for (int i = 0; i < caption.size(); ++i)
        if (caption[i].toUpper() == upper)
            return QString(caption).insert(i, QLatin1Char('&'));
    return caption;
}

QString withMnemonic(const QString &caption, char key)
{
    const QChar upper = QChar(QLatin1Char(key)).toUpper();
    const QString marked = withMnemonicInPlace(caption, key);
    if (marked != caption)
        return marked;
    int end = caption.size();
    while (end > 0 && (caption[end - 1].isSpace() || caption[end - 1] == u':' || caption[end - 1] == u'\uFF1A'))
        --end;
    return caption.left(end) + QStringLiteral("(&%1)").arg(upper) + caption.mid(end);
}

QString spokenCaption(QString caption)
{
    caption.remove(QRegularExpression(QStringLiteral("\\(&.\\)"))).remove(QLatin1Char('&'));
    caption = caption.simplified();
    while (caption.endsWith(u':') || caption.endsWith(u'\uFF1A'))
        caption.chop(1);
    // "显 示 内 容" is spaced out for the header's look only.
    static const QRegularExpression spacedWide(QStringLiteral("(?<=[^\\x00-\\x7F]) (?=[^\\x00-\\x7F])"));
    return caption.remove(spacedWide).trimmed();
}

namespace {

class WheelGuard : public QObject {
public:
    explicit WheelGuard(QAbstractScrollArea *page) : QObject(page), m_page(page) {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Wheel)
            return false;
        auto *w = static_cast<QWidget *>(watched);
        if (w->hasFocus())
            return false;
        QCoreApplication::sendEvent(m_page->viewport(), event);
        return true;
    }

private:
    QAbstractScrollArea *m_page;
};

class SliderKeys : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        using Action = QAbstractSlider::SliderAction;
        Action action = QAbstractSlider::SliderNoAction;
        switch (static_cast<QKeyEvent *>(event)->key()) {
        case Qt::Key_Left:
        case Qt::Key_Up:
            action = QAbstractSlider::SliderSingleStepSub;
            break;
        case Qt::Key_Right:
        case Qt::Key_Down:
            action = QAbstractSlider::SliderSingleStepAdd;
            break;
        case Qt::Key_PageUp:
            action = QAbstractSlider::SliderPageStepSub;
            break;
        case Qt::Key_PageDown:
            action = QAbstractSlider::SliderPageStepAdd;
            break;
        case Qt::Key_Home:
            action = QAbstractSlider::SliderToMinimum;
            break;
        case Qt::Key_End:
            action = QAbstractSlider::SliderToMaximum;
            break;
        default:
            return false;
        }
        static_cast<QAbstractSlider *>(watched)->triggerAction(Action(action));
        return true;
    }
};

} // namespace

void moveWithKeys(QAbstractSlider *bar)
{
    bar->installEventFilter(new SliderKeys(bar));
}

void keepWheelForScrolling(QWidget *root, QAbstractScrollArea *page)
{
    auto *guard = new WheelGuard(page);
    QList<QWidget *> valued;
    for (QComboBox *box : root->findChildren<QComboBox *>())
        valued << box;
    for (QAbstractSpinBox *box : root->findChildren<QAbstractSpinBox *>())
        valued << box;
    // Not the bars of scroll areas (a drop-down's list, the strip): the
    // wheel is what moves those.
    const auto inScrollArea = [root](const QWidget *w) {
        for (w = w->parentWidget(); w && w != root; w = w->parentWidget())
            if (qobject_cast<const QAbstractScrollArea *>(w))
                return true;
        return false;
    };
    for (QAbstractSlider *bar : root->findChildren<QAbstractSlider *>())
        if (!inScrollArea(bar))
            valued << bar;
    for (QWidget *w : valued) {
        if (w->focusPolicy() == Qt::WheelFocus)
            w->setFocusPolicy(Qt::StrongFocus);
        w->installEventFilter(guard);
    }
}

WindowPage::WindowPage(QWidget *controls, QWidget *preview, QSize besideMinimum, QSize belowMinimum) :
    m_controls(controls), m_preview(preview), m_besideMinimum(besideMinimum), m_belowMinimum(belowMinimum)
{
    controls->setParent(this);
    preview->setParent(this);
    controls->move(0, 0);
    setMinimumSize(minimumFor(false));
}

QSize WindowPage::minimumFor(bool beside) const
{
    const QSize c = m_controls->size() - QSize(0, m_trim);
    if (beside)
        return {c.width() + kGap + m_besideMinimum.width() + kGap,
                std::max(c.height(), m_besideMinimum.height() + 2 * kGap)};
    return {std::max(c.width(), m_belowMinimum.width() + 2 * kGap), c.height() + m_belowMinimum.height() + kGap};
}

void WindowPage::fitTo(const QSize &outer, int scrollBarExtent)
{
    m_trim = 0;
    QSize beside = minimumFor(true);
    if (m_banner && outer.height() < beside.height()) {
        m_trim = m_bannerTrim;
        beside = minimumFor(true);
    }
    // Beside when it fits across, with room for a vertical bar if it does
    // not fit down.
    const int across = beside.width() + (outer.height() < beside.height() ? scrollBarExtent : 0);
    m_beside = outer.width() >= across;
    // Below, the page scrolls all the same; the banner gives way only when
    // the controls themselves are taller than the view.
    if (!m_beside && outer.height() >= m_controls->height())
        m_trim = 0;
    if (m_banner)
        m_banner->setVisible(m_trim == 0);
    setMinimumSize(minimumFor(m_beside));
    placePreview();
}

void WindowPage::setBanner(QWidget *banner, int trim)
{
    m_banner = banner;
    m_bannerTrim = trim;
}

void WindowPage::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placePreview();
}

void WindowPage::placePreview()
{
    m_controls->move(0, -m_trim);
    const QSize c = m_controls->size() - QSize(0, m_trim);
    if (m_beside) {
        const int left = c.width() + kGap;
        m_preview->setGeometry(left, kGap, width() - left - kGap, height() - 2 * kGap);
    } else {
        m_preview->setGeometry(kGap, c.height(), width() - 2 * kGap, height() - c.height() - kGap);
    }
}

QStringList numberItems(int n)
{
    QStringList items;
    for (int i = 1; i <= n; ++i)
        items << QString::number(i);
    return items;
}

} // namespace glintag
