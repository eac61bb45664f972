#pragma once
#include <QString>

// Report files: the name Save suggests, the ".txt" rule shared by Save and "打开数据", and the
// writing of a report as GBK bytes. Any thread (no widgets).

// The tree item's own text, or for an uploaded record (a text of fewer than four GBK bytes,
// such as "7") the first two characters of its parent ("CT历史数据") and the number as "%03d":
// "CT007".
QString SuggestedReportName(const QString& itemText, const QString& parentText);

// path with ".txt" appended unless it already ends in ".txt", in any case.
QString WithTxtExtension(const QString& path);

// The first character of the report that GBK cannot encode, or does not give back as it was
// (both halves of a surrogate pair); empty when the whole report can be saved.
QString UnsavableCharacter(const QString& report);

// Writes the report's GBK bytes exactly (CR LF as they stand, no byte-order mark) to path,
// through a temporary file renamed into place, so that a failed save leaves any older file
// whole. False when the file could not be written.
bool SaveReportFile(const QString& path, const QString& report);
