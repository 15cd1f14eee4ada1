#include "gui/accessiblecombo.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLineEdit>

namespace glintag {

namespace {

class NamedComboAccessible : public QAccessibleWidget {
public:
    explicit NamedComboAccessible(QComboBox *box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

    QComboBox *box() const { return static_cast<QComboBox *>(widget()); }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return box()->currentText();
        if (t == QAccessible::Name && !box()->accessibleName().isEmpty())
            return box()->accessibleName();
        return QAccessibleWidget::text(t);
    }

    // The drop-down list first, then the edit field, as the toolkit's own.
    int childCount() const override { return box()->lineEdit() ? 2 : 1; }
    QAccessibleInterface *child(int index) const override
    {
        if (index == 0)
            return QAccessible::queryAccessibleInterface(box()->view());
        if (index == 1 && box()->lineEdit())
            return QAccessible::queryAccessibleInterface(box()->lineEdit());
        return nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        if (!child)
            return -1;
        if (child->object() == box()->view())
            return 0;
        if (box()->lineEdit() && child->object() == box()->lineEdit())
            return 1;
        return -1;
    }

    QStringList actionNames() const override
    {
        return {QAccessibleActionInterface::showMenuAction(), QAccessibleActionInterface::pressAction()};
    }
    void doAction(const QString &action) override
    {
        if (action == QAccessibleActionInterface::showMenuAction()
            || action == QAccessibleActionInterface::pressAction())
            box()->showPopup();
        else
            QAccessibleWidget::doAction(action);
    }
};

QAccessibleInterface *namedCombos(const QString &key, QObject *object)
{
    if (key == QLatin1String("QComboBox"))
        if (auto *box = qobject_cast<QComboBox *>(object))
            return new NamedComboAccessible(box);
    return nullptr;
}

} // namespace

void installComboNames()
{
    static const bool installed = [] {
        QAccessible::installFactory(namedCombos);
        return true;
    }();
    (void)installed;
}

void nameComboBox(QComboBox *box, const QString &name)
{
    box->setAccessibleName(name);
    if (box->lineEdit())
        box->lineEdit()->setAccessibleName(name);
    box->view()->setAccessibleName(name);
}

} // namespace glintag
