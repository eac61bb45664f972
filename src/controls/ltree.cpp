#include "ltree.h"

#include "platform/reportfile.h"
#include "testkinds.h"

#include <QHeaderView>

namespace {
constexpr int kItemHeight = 22;
}

CLTree::CLTree(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    setFrameShape(QFrame::Box);
    // Every item shows the plain folder, and the folder with the star while selected.
    m_icon.addFile(":/icons/132.svg", QSize(16, 16), QIcon::Normal);
    m_icon.addFile(":/icons/131.svg", QSize(16, 16), QIcon::Selected);
    setIconSize(QSize(16, 16));
    // The selection, not the current item: a tree given the focus makes its first item current
    // without selecting it, and that is no choice of the operator's.
    connect(this, &QTreeWidget::itemSelectionChanged, this,
            [this] { OnSelChanged(selectedItems().value(0)); });
}

QTreeWidgetItem* CLTree::AddItem(QTreeWidgetItem* parent, const QString& text) {
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
    item->setText(0, text);
    item->setIcon(0, m_icon);
    item->setSizeHint(0, QSize(-1, kItemHeight));
    return item;
}

void CLTree::InitTree() {
    QTreeWidgetItem* root = AddItem(nullptr, "互感器综合参数测试");
    // Kinds 0 to 3 test current transformers, 4 to 7 voltage transformers; the rest stand alone.
    QTreeWidgetItem* ct = AddItem(root, "测试电流互感器");
    QTreeWidgetItem* pt = AddItem(root, "测试电压互感器");
    for (const tarvex::TestKindInfo& kind : tarvex::kTestKinds) {
        QTreeWidgetItem* parent = kind.index < 4 ? ct : kind.index < 8 ? pt : root;
        m_hTestItem[kind.index] = AddItem(parent, kind.name);
    }
    QTreeWidgetItem* history = AddItem(nullptr, "历史数据");
    m_hCTHistory = AddItem(history, "CT历史数据");
    m_hPTHistory = AddItem(history, "PT历史数据");
    root->setExpanded(true);
    history->setExpanded(true);
    ct->setExpanded(true);
    pt->setExpanded(true);
}

void CLTree::SelectTest(int kind) {
    if (kind >= 0 && kind < 9)
        setCurrentItem(m_hTestItem[kind]);
}

QTreeWidgetItem* CLTree::HistoryNode(int kind) const {
    return kind == 0 ? m_hCTHistory : kind == 1 ? m_hPTHistory : nullptr;
}

void CLTree::AddHistoryItem(int kind, const QString& text) {
    QTreeWidgetItem* parent = HistoryNode(kind);
    if (!parent)
        return;
    AddItem(parent, text);
    parent->setExpanded(true);
    viewport()->update();
}

bool CLTree::HasHistoryItem(int kind, const QString& text) const {
    const QTreeWidgetItem* parent = HistoryNode(kind);
    for (int i = 0; parent && i < parent->childCount(); ++i) {
        if (parent->child(i)->text(0) == text)
            return true;
    }
    return false;
}

void CLTree::ClearSelection() {
    const QSignalBlocker quiet(this);
    setCurrentItem(nullptr);
    clearSelection();
}

QString CLTree::SuggestedSaveName() const {
    const QTreeWidgetItem* item = selectedItems().value(0);
    if (!item)
        return {};
    const QTreeWidgetItem* parent = item->parent();
    return SuggestedReportName(item->text(0), parent ? parent->text(0) : QString());
}

void CLTree::OnSelChanged(QTreeWidgetItem* item) {
    if (!item)
        return;
    for (int kind = 0; kind < 9; ++kind) {
        if (item == m_hTestItem[kind]) {
            emit testChosen(kind);
            return;
        }
    }
    QTreeWidgetItem* parent = item->parent();
    if (parent && (parent == m_hCTHistory || parent == m_hPTHistory)) {
        emit historyChosen(parent == m_hPTHistory, item->text(0));
        return;
    }
    emit folderChosen();
}
