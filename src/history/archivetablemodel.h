#pragma once
#include "state/resultarchive.h"

#include <QAbstractTableModel>
#include <QList>

// The results of the archive as a table, newest first: time, test, line/group/phase, device
// number, site, key values, source. Rows are read a page at a time as the view scrolls, so a
// large archive opens at once. GUI thread only.
class CArchiveTableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column { Time, Test, LineGroupPhase, DeviceNumber, Site, KeyValues, Source, ColumnCount };

    explicit CArchiveTableModel(CResultArchive& archive, QObject* parent = nullptr);

    // Shows the rows this filter keeps, from the newest.
    void SetFilter(const ArchiveFilter& filter);
    // Reads the rows again from the newest (after rows were removed).
    void Reload();
    const ArchivedResult& Row(int row) const { return m_rows[row]; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

  private:
    CResultArchive& m_archive;
    ArchiveFilter m_filter;
    QList<ArchivedResult> m_rows;
    bool m_bAtEnd = false;
};

// The key values of a result as the table shows them: knee point, ratio and polarity, worst
// ratio and phase error, burden, resistance.
QString KeyValuesText(const ArchivedResult& row);
