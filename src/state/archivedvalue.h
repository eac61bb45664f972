#pragma once
#include "resultarchive.h"
#include "resultmodel.h"

#include <QJsonObject>

#include <optional>

// The bridge between a decoded result and its archive row: the row's keyValues hold the whole
// value, points included, under "type", so that a reader rebuilds the struct without decoding
// the raw reply again.

// The value as the archive keeps it.
QJsonObject ValueJson(const TestResult::Value& value);
// The value of a row; empty when its keyValues hold none this program knows.
std::optional<TestResult::Value> ArchivedValue(const ArchivedResult& row);
// The result of a row as it was measured: its value, time (a record's own test time), source
// and parameters; empty when its value is unknown.
std::optional<TestResult> ArchivedTestResult(const ArchivedResult& row);
