#pragma once
#include "analysis/accuracyclass.h"
#include "reportentry.h"

#include <QList>
#include <QString>

#include <utility>

class CReportCanvas;

// One result of a report laid out on the canvas: its heading, where it came from, the entries
// the test was started with, then its values as its page shows them (with the same rounding),
// and for an excitation curve the charts, knee points and error curve.
class CResultSection {
  public:
    CResultSection(CReportCanvas& canvas, const ReportEntry& entry);
    // number: the result's place in the report, from 1.
    void Write(int number);

  private:
    using Fields = QList<std::pair<QString, QString>>;

    void WriteHeading(int number);
    Fields SourceFields() const;
    Fields ParameterFields() const;
    void WriteValues();
    void WriteExcitation(const tarvex::ExcitationReply& curve);
    void WriteCurvePlots(const tarvex::ExcitationReply& curve);
    void WriteKneeTable(const tarvex::ExcitationReply& curve);
    void WriteErrorCurve(const ReportErrorCurve& errorCurve);
    void WritePointTable(const tarvex::ExcitationReply& curve);
    // The number the page gives the first measured point of the curve.
    int FirstPointNumber() const;
    // Whether the curve came straight from the instrument (its voltages shown in 0.5 V steps).
    bool FromInstrument() const;
    void WriteErrors(const tarvex::ErrorReply& errors);
    void WriteVerdicts(const tarvex::ErrorVerdict& verdict);
    void WriteErrorValues(const tarvex::ErrorReply& errors);
    // A heading kept on one page with the keepMm that follow it.
    void WriteSubheading(const QString& text, double keepMm);

    CReportCanvas& m_canvas;
    const ReportEntry& m_entry;
};
