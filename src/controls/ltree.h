#pragma once
#include <QTreeWidget>

// The navigation tree: the nine tests under their transformer, and the uploaded history
// records under "CT历史数据" and "PT历史数据". Choosing an item announces the test to the
// instrument, brings its page to the front and decides what Save and Print use. GUI thread
// only; the upload worker reaches it through the GUI thread.
class CLTree : public QTreeWidget {
public:
    explicit CLTree(QWidget* parent = nullptr);

    void InitTree();
    // Selects the item of a test kind (raising the selection change).
    void SelectTest(int kind);
    // Appends a history child (kind 0 CT, 1 PT) and expands its parent; other kinds add nothing.
    void AddHistoryItem(int kind, const QString& text);
    bool HasHistoryItem(int kind, const QString& text) const;
    // Leaves no item selected, so that choosing any item next is a selection change.
    void ClearSelection();
    // The file name Save suggests for the selected item.
    QString SuggestedSaveName() const;

    QTreeWidgetItem* m_hTestItem[9] = {};
    QTreeWidgetItem* m_hCTHistory = nullptr;
    QTreeWidgetItem* m_hPTHistory = nullptr;

private:
    void OnSelChanged(QTreeWidgetItem* item);
    void OnTestChosen(int kind);
    void OnHistoryChosen(bool pt, const QString& number);
    QTreeWidgetItem* AddItem(QTreeWidgetItem* parent, const QString& text);
    QTreeWidgetItem* HistoryNode(int kind) const;

    QIcon m_icon;
};
