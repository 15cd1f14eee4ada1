// What a screen reader meets: every control the user can reach says what it
// is for, in the window's language, and not merely the value it holds.
#include "support/windowfixture.h"

#include "gui/doteditordialog.h"
#include "gui/pictureediting.h"
#include "i18n/statustexts.h"

#include <QAccessible>
#include <QApplication>

#include <algorithm>

using namespace glintag;

namespace {

struct Walk {
    int objects = 0, interactive = 0;
    QStringList unnamed; // "role 'name' = 'value'" of each one at fault
};

const QAccessible::Role kInteractive[] = {
    QAccessible::PushButton,   QAccessible::CheckBox, QAccessible::RadioButton, QAccessible::ComboBox,
    QAccessible::EditableText, QAccessible::SpinBox,  QAccessible::Slider,      QAccessible::ScrollBar,
    QAccessible::List,         QAccessible::MenuBar,  QAccessible::ProgressBar,
};

void walk(QAccessibleInterface *node, Walk &w, int depth = 0)
{
    if (!node || !node->isValid() || depth > 40)
        return;
    ++w.objects;
    const QAccessible::Role role = node->role();
    if (std::find(std::begin(kInteractive), std::end(kInteractive), role) != std::end(kInteractive)) {
        ++w.interactive;
        const QString name = node->text(QAccessible::Name).trimmed();
        // A list's value is no value of its own.
        const QString value = role == QAccessible::List ? QString() : node->text(QAccessible::Value).trimmed();
        if (name.isEmpty() || name == value)
            w.unnamed << QStringLiteral("role %1 '%2' = '%3' (%4)")
                             .arg(int(role))
                             .arg(name, value,
                                  QString::fromLatin1(node->object() ? node->object()->metaObject()->className() : ""));
    }
    for (int i = 0; i < node->childCount(); ++i)
        walk(node->child(i), w, depth + 1);
}

} // namespace

TEST_F(WindowTest, EveryControlIsNamedForWhatItSetsInEveryLanguage)
{
    auto w = renderedWindow();
    w->show();
    EXPECT_EQ(w->focusWidget(), w->slotRow(0).textBox()) << "the first focus is slot 1's text";
    for (int lang : {UiEnglish, UiSimpChinese, UiTradChinese, UiJapanese, UiKorean}) {
        w->parts().settingsRow.languageBox()->setCurrentIndex(lang);
        Walk found;
        walk(QAccessible::queryAccessibleInterface(w.get()), found);
        EXPECT_GT(found.interactive, 16 * 9) << "the walk reached every row";
        EXPECT_EQ(found.unnamed.join(QLatin1Char('\n')).toStdString(), "") << lang;
    }
    // The combo boxes say which slot and what for; the edit field inside says the same.
    QComboBox *speed = w->slotRow(2).speedBox();
    QAccessibleInterface *box = QAccessible::queryAccessibleInterface(speed);
    EXPECT_TRUE(box->text(QAccessible::Name).startsWith(statusTexts(UiKorean).slotName.arg(3)))
        << box->text(QAccessible::Name).toStdString();
    EXPECT_EQ(box->text(QAccessible::Value), speed->currentText());
    EXPECT_EQ(QAccessible::queryAccessibleInterface(speed->lineEdit())->text(QAccessible::Name),
              box->text(QAccessible::Name));
}

TEST_F(WindowTest, TheDotEditorIsNamedAndItsButtonsHaveKeys)
{
    auto w = renderedWindow();
    for (int lang : {UiEnglish, UiJapanese}) {
        w->parts().settingsRow.languageBox()->setCurrentIndex(lang);
        w->slotRow(1).imageBox()->click();
        w->parts().pictureEditing.open(1);
        DotEditorDialog *editor = w->parts().pictureEditing.editor();
        ASSERT_TRUE(editor);
        Walk found;
        walk(QAccessible::queryAccessibleInterface(editor), found);
        EXPECT_EQ(found.unnamed.join(QLatin1Char('\n')).toStdString(), "") << lang;
        QStringList keys;
        for (QAbstractButton *b : editor->findChildren<QAbstractButton *>()) {
            const QString text = b->text();
            if (std::none_of(text.begin(), text.end(), [](QChar c) { return c.isLetter(); }))
                continue; // the arrow buttons: named, and moved by the arrow keys
            const int amp = b->text().indexOf(QLatin1Char('&'));
            EXPECT_GE(amp, 0) << b->text().toStdString();
            if (amp < 0)
                continue;
            keys << b->text().mid(amp + 1, 1).toUpper();
        }
        keys.sort();
        EXPECT_EQ(keys.removeDuplicates(), 0) << keys.join(QLatin1Char(' ')).toStdString();
        editor->reject();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}
