#pragma once
#include <QStringList>

class QTreeWidget;
class QTreeWidgetItem;

namespace tarvex {

// Makes a list the program's report-style list: the shared 16-pixel "宋体" font, the given
// centred columns of one width, grid lines between the cells, whole-row selection and columns
// the operator can drag. GUI thread only.
void PrepareReportList(QTreeWidget* list, const QStringList& columns, int columnWidth);

// A new row of such a list with these cells, every one centred; the caller adds it to its list.
QTreeWidgetItem* NewCentredRow(const QStringList& cells);

} // namespace tarvex
