#pragma once
#include "state/resultarchive.h"

#include <QDialog>
#include <QList>

class CArchiveTableModel;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QTableView;

// The window "测试档案": every recorded result, newest first, with filters by test, date range
// and free text (line, group, site, tester). Opening a row asks for it on its page
// (openRequested); deleting asks first; selected curves are compared, selected results
// exported as CSV or put in a PDF report. GUI thread only.
class CArchiveDlg : public QDialog {
    Q_OBJECT
  public:
    CArchiveDlg(CResultArchive& archive, QWidget* owner);

    CArchiveTableModel* Model() const { return m_model; }
    QTableView* View() const { return m_view; }
    // The rows selected, in the order shown.
    QList<ArchivedResult> SelectedRows() const;
    // Reads the archive again with the filters as they stand.
    void Refresh();

    void OnOpen();
    void OnDelete();
    void OnCompare();
    void OnExport();
    void OnReport();

  signals:
    void openRequested(const ArchivedResult& row);
    // A PDF report of these rows is wanted.
    void reportRequested(const QList<ArchivedResult>& rows);

  private:
    QWidget* CreateFilters();
    QWidget* CreateButtons();
    ArchiveFilter Filter() const;

    CResultArchive& m_archive;
    CArchiveTableModel* m_model = nullptr;
    QTableView* m_view = nullptr;
    QComboBox* m_kind = nullptr;
    QCheckBox* m_byDate = nullptr;
    QDateEdit* m_from = nullptr;
    QDateEdit* m_to = nullptr;
    QLineEdit* m_text = nullptr;
};
