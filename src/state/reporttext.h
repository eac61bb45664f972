#pragma once
#include "resultmodel.h"

#include <QString>

// The text a page saves and prints for its result: composed from the result model (the values,
// where they came from, when measured) and the entries of the page they were shown with, so the
// text is what the page shows. No result composes the lines of an empty page.
namespace tarvex {

// What an excitation page reports beside the result: its entries (or, for a record on show,
// the record's fields) as the page holds them.
struct ExcitationReportEntries {
    int testVoltage = 0; // V
    int testCurrent = 0; // A
    QString line;
    QString group;
    QString phase;
};

QString ExcitationReportText(const TestResult* result, const ExcitationReportEntries& entries);

// The CT ratio page reports one ratio (singleMode) or the six-tap list, as it shows them.
QString CtRatioReportText(const TestResult* result, bool singleMode);

QString PtRatioReportText(const TestResult* result);

} // namespace tarvex
