#pragma once
#include "state/resultarchive.h"
#include "state/resultmodel.h"

#include <QByteArray>
#include <QList>

#include <functional>
#include <optional>
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

// The decoded value of an archived row; empty when the row holds none this program knows.
using ArchivedValueOf = std::function<std::optional<TestResult::Value>(const ArchivedResult&)>;

// The same table of archived rows, each decoded by valueOf; a row without a known value gives
// one row of its time, kind, line and the other texts.
QByteArray ResultsCsv(const QList<ArchivedResult>& rows, const ArchivedValueOf& valueOf);
