#pragma once
#include <QString>

class QWidget;

// The ends of the main frame's Save and Print commands, after the page of the report kind has
// composed theApp().m_strReport. Both do nothing for an empty report. GUI thread only.

// Asks for a file name ("数据文件(*.txt)"), appends ".txt" unless the name ends in it, and
// writes the report; a file that cannot be written brings "保存文件失败". A cancelled dialog
// ends it silently. A report with a character GBK cannot encode is refused before any name is
// asked for: "报告含有无法保存的字符'%1'". A file that exists under the name with ".txt"
// appended is replaced only when the operator says yes to "文件%1已存在，是否替换？" (the dialog
// itself asks about the name as typed). Returns the path written, empty when nothing was.
QString SaveReport(QWidget* owner, const QString& suggestedName);

// Leaves the report in the print preview of a new blank document (see CWordReport); if the
// word processor cannot be started nothing happens.
void PrintReport(QWidget* owner);
