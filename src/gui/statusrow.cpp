#include "gui/statusrow.h"

#include "i18n/statustexts.h"
#include "settings/keptsettings.h"

#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

namespace glintag {

namespace {

// Window pixels: the gauge ends at 665; this row lies between it and the
// preview, which starts at 700.
constexpr int kStatusTop = 668;
constexpr int kStatusHeight = 28;
constexpr int kStopWidth = 96;
constexpr int kUseWidth = 200; // the longest figure, Japanese, with room to spare

} // namespace

StatusRow::StatusRow(QWidget *panel, int left, int right) : QObject(panel)
{
    const int stopLeft = right + 1 - kStopWidth;
    const int useLeft = stopLeft - 8 - kUseWidth;
    m_line = new QLabel(panel);
    m_line->setGeometry(left, kStatusTop, useLeft - 8 - left, kStatusHeight);
    m_use = new QLabel(panel);
    m_use->setGeometry(useLeft, kStatusTop, kUseWidth, kStatusHeight);
    m_use->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_line->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_stop = new QPushButton(QStringLiteral("Stop"), panel);
    m_stop->setGeometry(stopLeft, kStatusTop + 1, kStopWidth, kStatusHeight - 2);
    m_stop->hide();
}

void StatusRow::setStatus(std::function<QString(int)> text, const QString &toolTip)
{
    m_text = std::move(text);
    m_line->setText(m_text ? m_text(m_language) : QString());
    m_line->setToolTip(toolTip);
}

void StatusRow::setRowUse(int bytes)
{
    m_useBytes = bytes;
    m_use->setText(statusTexts(m_language).gaugeUse.arg(bytes));
}

void StatusRow::clear()
{
    if (m_text)
        setStatus(nullptr);
}

void StatusRow::tellPictureProblems(const std::vector<PictureProblem> &problems)
{
    if (problems.empty())
        return;
    QStringList details;
    for (const PictureProblem &p : problems)
        details << QStringLiteral("%1: %2").arg(p.file, p.reason);
    setStatus(
        [problems](int lang) {
            QStringList lines;
            for (const PictureProblem &p : problems) {
                // One that was never opened is named by its whole path: where it leads is the point.
                lines << (p.outsideFolder
                              ? statusTexts(lang).pictureOutside.arg(p.slot + 1).arg(p.file)
                              : statusTexts(lang).pictureMissing.arg(p.slot + 1).arg(QFileInfo(p.file).fileName()));
            }
            return lines.join(QStringLiteral("  "));
        },
        details.join(QLatin1Char('\n')));
}

} // namespace glintag
