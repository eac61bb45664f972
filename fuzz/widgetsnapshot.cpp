#include "widgetsnapshot.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTreeWidget>

namespace fuzz {

namespace {

bool SetChecked(QAbstractButton* button, bool checked) {
    if (button->isChecked() == checked)
        return false;
    // An exclusive button is unchecked only by checking another; none may be checked at start.
    const bool exclusive = button->autoExclusive();
    button->setAutoExclusive(false);
    button->setChecked(checked);
    button->setAutoExclusive(exclusive);
    return true;
}

} // namespace

WidgetSnapshot::WidgetSnapshot(QWidget* root) {
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* widget : widgets) {
        Item item;
        item.widget = widget;
        item.hidden = widget->isHidden();
        item.enabled = widget->isEnabled();
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            item.kind = Kind::Label;
            item.text = label->text();
            item.pixmap = label->pixmap();
        } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            item.kind = Kind::Edit;
            item.text = edit->text();
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            item.kind = Kind::Button;
            item.checked = button->isChecked();
        } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            item.kind = Kind::Combo;
            item.index = combo->currentIndex();
            item.text = combo->currentText();
        } else if (auto* list = qobject_cast<QTreeWidget*>(widget)) {
            item.kind = list->topLevelItemCount() == 0 ? Kind::EmptyList : Kind::Other;
        }
        m_items.push_back(item);
    }
}

std::vector<QWidget*> WidgetSnapshot::Restore() const {
    std::vector<QWidget*> changed;
    for (const Item& item : m_items) {
        if (item.widget && RestoreItem(item))
            changed.push_back(item.widget);
    }
    return changed;
}

bool WidgetSnapshot::RestoreItem(const Item& item) {
    QWidget* widget = item.widget;
    if (widget->isHidden() != item.hidden)
        widget->setHidden(item.hidden);
    if (widget->isEnabled() != item.enabled)
        widget->setEnabled(item.enabled);
    if (item.kind == Kind::Other)
        return false;
    const QSignalBlocker quiet(widget);
    return RestoreContent(item);
}

bool WidgetSnapshot::RestoreContent(const Item& item) {
    switch (item.kind) {
    case Kind::Label: {
        auto* label = static_cast<QLabel*>(item.widget.data());
        if (!item.pixmap.isNull() && label->pixmap().cacheKey() != item.pixmap.cacheKey())
            label->setPixmap(item.pixmap);
        else if (item.pixmap.isNull() && label->text() != item.text)
            label->setText(item.text);
        else
            return false;
        return true;
    }
    case Kind::Edit: {
        auto* edit = static_cast<QLineEdit*>(item.widget.data());
        if (edit->text() == item.text)
            return false;
        edit->setText(item.text);
        return true;
    }
    case Kind::Button: {
        auto* button = static_cast<QAbstractButton*>(item.widget.data());
        return button->isCheckable() && SetChecked(button, item.checked);
    }
    case Kind::Combo: {
        auto* combo = static_cast<QComboBox*>(item.widget.data());
        if (combo->currentIndex() == item.index && combo->currentText() == item.text)
            return false;
        combo->setCurrentIndex(item.index);
        if (combo->isEditable())
            combo->setEditText(item.text);
        return true;
    }
    case Kind::EmptyList: {
        auto* list = static_cast<QTreeWidget*>(item.widget.data());
        if (list->topLevelItemCount() == 0)
            return false;
        list->clear();
        return true;
    }
    case Kind::Other:
        break;
    }
    return false;
}

} // namespace fuzz
