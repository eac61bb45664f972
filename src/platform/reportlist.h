#pragma once
#include <QStringList>

class QTreeWidget;

namespace tarvex {

// Makes a list the program's report-style list: the shared 16-pixel "宋体" font, the given
// centred columns of one width, grid lines between the cells, whole-row selection and columns
// the operator can drag. GUI thread only.
void PrepareReportList(QTreeWidget* list, const QStringList& columns, int columnWidth);

} // namespace tarvex
