#pragma once
#include <QString>

class QWidget;

// The ends of the main frame's Save and Print commands, after the page of the report kind has
// composed theApp().m_strReport. Both do nothing for an empty report. GUI thread only.

// Asks for a file name ("数据文件(*.txt)"), appends ".txt" unless the name ends in it, and
// writes the report; a file that cannot be written brings "保存文件失败". A cancelled dialog
// ends it silently.
void SaveReport(QWidget* owner, const QString& suggestedName);

// Leaves the report in the print preview of a new blank document (see CWordReport); if the
// word processor cannot be started nothing happens.
void PrintReport(QWidget* owner);
