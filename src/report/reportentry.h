#pragma once
#include "analysis/accuracyclass.h"
#include "state/resultmodel.h"

#include <QDate>
#include <QList>
#include <QString>

#include <optional>

// Who tested where and when: the head of every report page set.
struct ReportHeader {
    QString deviceNumber;
    QString tester;
    QString site;
    QDate date;
};

// An error curve as the error-curve window listed it: its choices and its rows of texts.
struct ReportErrorCurve {
    int percent = 10;           // the 5 % or the 10 % curve
    int ratedSecondary = 5;     // A
    QString secondaryImpedance; // the entry "CT二次阻抗", ohms, as typed
    struct Row {
        QString number;
        QString multiple;  // "M10"
        QString impedance; // "ZII"
    };
    QList<Row> rows;
};

// One result in a report: its test kind (an index of tarvex::kTestKinds), the result, a label
// that tells it apart (where it came from, an archive number) and what was computed from it.
struct ReportEntry {
    int kind = -1;
    TestResult result;
    QString label;
    std::optional<ReportErrorCurve> errorCurve; // excitation results only
    bool gappedCore = false; // the IEEE knee at 30°, not 45° (excitation results)
    // The class an error result is judged against; without one the report gives no verdict.
    std::optional<tarvex::AccuracyClass> accuracyClass;
};
