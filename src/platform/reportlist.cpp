#include "reportlist.h"

#include "fonts.h"

#include <QHeaderView>
#include <QTreeWidget>

namespace tarvex {

void PrepareReportList(QTreeWidget* list, const QStringList& columns, int columnWidth) {
    if (!list)
        return;
    static const QFont font = SongFont(16); // one font for every list, for the whole run
    list->setFont(font);
    list->setColumnCount(static_cast<int>(columns.size()));
    list->setHeaderLabels(columns);
    for (int column = 0; column < columns.size(); ++column) {
        list->setColumnWidth(column, columnWidth);
        list->headerItem()->setTextAlignment(column, Qt::AlignCenter);
    }
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setAllColumnsShowFocus(true);
    list->header()->setSectionsMovable(true);
    list->header()->setStretchLastSection(false);
    // A style sheet for the grid lines takes over the drawing of the items, selected ones
    // too: without colours of its own a selected row would show white text on white.
    list->setStyleSheet("QTreeView::item { border-right: 1px solid #c0c0c0;"
                        " border-bottom: 1px solid #c0c0c0; }"
                        "QTreeView::item:selected { background: palette(highlight);"
                        " color: palette(highlighted-text); }");
}

QTreeWidgetItem* NewCentredRow(const QStringList& cells) {
    auto* row = new QTreeWidgetItem(cells);
    for (int column = 0; column < cells.size(); ++column)
        row->setTextAlignment(column, Qt::AlignCenter);
    return row;
}

} // namespace tarvex
