#pragma once
// What the widgets of a window show and allow, taken once and put back later: whether each is
// hidden and enabled, the texts of labels and entries, the choice of buttons and combo boxes,
// and which lists were empty. The fuzz shell puts its one program back to its start with it.
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <vector>

namespace fuzz {

class WidgetSnapshot {
  public:
    // Takes the state of root and of every widget inside it.
    explicit WidgetSnapshot(QWidget* root);
    // Puts every widget that still exists back as it was taken; lists that were empty are
    // emptied. Signals are blocked meanwhile, so that no handler runs. Returns the widgets
    // whose text, choice or rows it put back.
    std::vector<QWidget*> Restore() const;

  private:
    enum class Kind { Other, Label, Edit, Button, Combo, EmptyList };
    struct Item {
        QPointer<QWidget> widget;
        Kind kind = Kind::Other; // decided once: a cast at every restore cost most of it
        bool hidden = false;
        bool enabled = true;
        QString text;
        QPixmap pixmap;
        bool checked = false;
        int index = -1;
    };
    // True when the item's text, choice or rows had changed.
    static bool RestoreItem(const Item& item);
    static bool RestoreContent(const Item& item);

    std::vector<Item> m_items;
};

} // namespace fuzz
