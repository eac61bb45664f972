#include "dlgitems.h"

#include "dlgbase.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QPlainTextEdit>
#include <QRegularExpressionValidator>
#include <QTextEdit>
#include <QtDebug>

namespace tarvex {
namespace {

void Refuse(const char* what, const QWidget* control) {
    qWarning("%s: control %s (%s) cannot do that", what, qPrintable(control->objectName()),
             control->metaObject()->className());
}

} // namespace

QString DlgItemName(int id) {
    return QString("id%1").arg(id);
}

QWidget* FindDlgItem(const QWidget* root, int id) {
    if (!root)
        return nullptr;
    const QString name = DlgItemName(id);
    // Level by level, so that a control of the page itself is found before anything nested.
    QList<const QWidget*> level{root};
    while (!level.isEmpty()) {
        QList<const QWidget*> next;
        for (const QWidget* parent : level) {
            for (QObject* child : parent->children()) {
                auto* widget = qobject_cast<QWidget*>(child);
                if (!widget || widget->isWindow())
                    continue;
                if (widget->objectName() == name)
                    return widget;
                if (!dynamic_cast<const CDlgBase*>(widget))
                    next << widget;
            }
        }
        level = next;
    }
    return nullptr;
}

void SetItemText(QWidget* control, const QString& text) {
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(control))
        label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->setText(text);
    else if (auto* group = qobject_cast<QGroupBox*>(control))
        group->setTitle(text);
    else if (auto* combo = qobject_cast<QComboBox*>(control))
        combo->setCurrentText(text);
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(control))
        plain->setPlainText(text);
    else if (auto* rich = qobject_cast<QTextEdit*>(control))
        rich->setPlainText(text);
    else
        Refuse("SetItemText", control);
}

QString ItemText(const QWidget* control) {
    if (auto* edit = qobject_cast<const QLineEdit*>(control))
        return edit->text();
    if (auto* label = qobject_cast<const QLabel*>(control))
        return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(control))
        return button->text();
    if (auto* group = qobject_cast<const QGroupBox*>(control))
        return group->title();
    if (auto* combo = qobject_cast<const QComboBox*>(control))
        return combo->currentText();
    if (auto* plain = qobject_cast<const QPlainTextEdit*>(control))
        return plain->toPlainText();
    if (auto* rich = qobject_cast<const QTextEdit*>(control))
        return rich->toPlainText();
    Refuse("ItemText", control);
    return QString();
}

void SetItemChecked(QWidget* control, bool checked) {
    if (auto* group = qobject_cast<QGroupBox*>(control)) {
        group->setChecked(checked);
        return;
    }
    auto* button = qobject_cast<QAbstractButton*>(control);
    if (!button) {
        Refuse("SetItemChecked", control);
        return;
    }
    if (checked || !button->isChecked()) {
        button->setChecked(checked);
        return;
    }
    // Lift the exclusivity for the moment of unchecking.
    QButtonGroup* buttons = button->group();
    const bool groupExclusive = buttons && buttons->exclusive();
    const bool autoExclusive = button->autoExclusive();
    if (buttons)
        buttons->setExclusive(false);
    button->setAutoExclusive(false);
    button->setChecked(false);
    button->setAutoExclusive(autoExclusive);
    if (buttons)
        buttons->setExclusive(groupExclusive);
}

bool IsItemChecked(const QWidget* control) {
    if (auto* group = qobject_cast<const QGroupBox*>(control))
        return group->isChecked();
    if (auto* button = qobject_cast<const QAbstractButton*>(control))
        return button->isChecked();
    Refuse("IsItemChecked", control);
    return false;
}

int SelectedIndex(const QWidget* control) {
    if (auto* combo = qobject_cast<const QComboBox*>(control))
        return combo->currentIndex();
    if (auto* view = qobject_cast<const QAbstractItemView*>(control)) {
        const QItemSelectionModel* selection = view->selectionModel();
        if (!selection)
            return -1;
        int first = -1;
        for (const QModelIndex& index : selection->selectedIndexes()) {
            if (first < 0 || index.row() < first)
                first = index.row();
        }
        return first;
    }
    Refuse("SelectedIndex", control);
    return -1;
}

void SetSelectedIndex(QWidget* control, int index) {
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
        combo->setCurrentIndex(index);
        return;
    }
    auto* view = qobject_cast<QAbstractItemView*>(control);
    if (!view) {
        Refuse("SetSelectedIndex", control);
        return;
    }
    QItemSelectionModel* selection = view->selectionModel();
    if (!selection || !view->model())
        return;
    const QModelIndex row = view->model()->index(index, 0, view->rootIndex());
    if (!row.isValid()) {
        selection->clearSelection();
        return;
    }
    selection->setCurrentIndex(row,
                               QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void LimitItemText(QWidget* control, int maxChars) {
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->setMaxLength(maxChars);
    else if (auto* combo = qobject_cast<QComboBox*>(control); combo && combo->lineEdit())
        combo->lineEdit()->setMaxLength(maxChars);
}

void ApplyEntryStyles(QWidget* root) {
    static const QRegularExpression digits("[0-9]*");
    for (QLineEdit* edit : root->findChildren<QLineEdit*>()) {
        if (edit->property("digitsOnly").toBool())
            edit->setValidator(new QRegularExpressionValidator(digits, edit));
    }
}

void FocusItem(QWidget* control, bool selectText) {
    control->setFocus(Qt::OtherFocusReason);
    if (!selectText)
        return;
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->selectAll();
    else if (auto* combo = qobject_cast<QComboBox*>(control); combo && combo->lineEdit())
        combo->lineEdit()->selectAll();
    else if (auto* spin = qobject_cast<QAbstractSpinBox*>(control))
        spin->selectAll();
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(control))
        plain->selectAll();
    else if (auto* rich = qobject_cast<QTextEdit*>(control))
        rich->selectAll();
}

} // namespace tarvex
