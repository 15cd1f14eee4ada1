#include "gui/dialogs.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

namespace glintag {

Dialogs::Answer WidgetDialogs::message(const QString &text, const QString &title, Buttons buttons,
                                       const QString &detail)
{
    const QMessageBox::StandardButtons shown = buttons == Buttons::YesNo ? QMessageBox::Yes | QMessageBox::No
        : buttons == Buttons::YesNoCancel ? QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel
                                          : QMessageBox::Ok;
    QMessageBox box(QMessageBox::Warning, title, text, shown, m_parent);
    if (!detail.isEmpty())
        box.setInformativeText(detail);
    const int r = box.exec();
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    if (r == QMessageBox::Cancel || (buttons == Buttons::YesNoCancel && r != QMessageBox::Yes && r != QMessageBox::No))
        return Answer::Cancel;
    return r == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

Dialogs::Answer WidgetDialogs::ask(const QString &text, const QString &title, const QStringList &captions)
{
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                    m_parent);
    box.setDefaultButton(QMessageBox::Yes);
    const QMessageBox::StandardButton order[] = {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
    for (int k = 0; k < 3 && k < captions.size(); ++k)
        box.button(order[k])->setText(captions[k]);
    const int r = box.exec();
    return r == QMessageBox::Yes ? Answer::Yes : r == QMessageBox::No ? Answer::No : Answer::Cancel;
}

void WidgetDialogs::inform(const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok, m_parent);
    box.exec();
}

QString WidgetDialogs::toQtFilter(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString label = parts[i];
        const int paren = label.indexOf(QLatin1Char('('));
        if (paren > 0)
            label = label.left(paren).trimmed();
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        out << QStringLiteral("%1 (%2)").arg(label, patterns);
    }
    return out.join(QStringLiteral(";;"));
}

QString WidgetDialogs::openFileName(const QString &filter, const QString &folder)
{
    return QFileDialog::getOpenFileName(m_parent, QString(), folder, toQtFilter(filter));
}

QString WidgetDialogs::saveFileName(const QString &filter, const QString &defaultSuffix, const QString &folder)
{
    QFileDialog dialog(m_parent, QString(), folder, toQtFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}

} // namespace glintag
