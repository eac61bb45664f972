#pragma once
#include <QTreeWidget>

// The navigation tree: the nine tests under their transformer, and the uploaded history
// records under "CT历史数据" and "PT历史数据". It tells what the operator chose (the main frame
// then announces the test to the instrument, brings its page to the front and decides what
// Save and Print use). GUI thread only; the upload worker reaches it through the GUI thread.
class CLTree : public QTreeWidget {
    Q_OBJECT

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

  signals:
    // The operator chose the test of a kind (0..8).
    void testChosen(int kind);
    // The operator chose an uploaded record: a CT one (pt false) or a PT one, by its number as
    // the item shows it ("7").
    void historyChosen(bool pt, const QString& number);
    // The operator chose an item that is neither: a folder.
    void folderChosen();

  private:
    void OnSelChanged(QTreeWidgetItem* item);
    QTreeWidgetItem* AddItem(QTreeWidgetItem* parent, const QString& text);
    QTreeWidgetItem* HistoryNode(int kind) const;

    QIcon m_icon;
};
