#include "gui/windowlayout.h"

#include "i18n/columnlayout.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

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

QStringList numberItems(int n)
{
    QStringList items;
    for (int i = 1; i <= n; ++i)
        items << QString::number(i);
    return items;
}

} // namespace glintag
