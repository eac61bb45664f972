#pragma once
#include "state/resultarchive.h"
#include "state/resultmodel.h"

#include <QByteArray>
#include <QList>

#include <utility>

// One archived result with its decoded values.
using CsvResult = std::pair<ArchivedResult, TestResult::Value>;

// Archived results as one CSV table for a spreadsheet: UTF-8 with a byte-order mark (so that
// spreadsheet programs read the Chinese headers), CR LF line ends, fields quoted as RFC 4180
// says where they hold a comma, a quote or a line break. Times are ISO 8601 in local time with
// their offset. An excitation curve gives one row per point (one row when it has none), any
// other result one row; every row repeats the result's time, kind, line, group, phase, device
// number, tester, site and instrument, and a column stays empty where the result has no value.
QByteArray ResultsCsv(const QList<CsvResult>& rows);
