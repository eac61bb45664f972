#pragma once
#include "replydecoders.h"
#include "resultsource.h"

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QVariantMap>

#include <map>
#include <optional>
#include <variant>

// A burden reply's one value: ohms on the CT page, VA on the PT page.
struct BurdenResult {
    double value = 0;
};

// One result of a test kind: the decoded reply (for an uploaded record or a data file, the knee
// and the points as the excitation page shows them), when it arrived and where from.
struct TestResult {
    using Value = std::variant<tarvex::ExcitationReply, tarvex::CtRatioReply, tarvex::CtTapReply,
                               tarvex::PtRatioReply, tarvex::ErrorReply, BurdenResult,
                               tarvex::ResistanceReply>;
    Value value;
    QDateTime arrived;
    ResultSource source = ResultSource::Instrument;
    // The entries the test was started with, by name, as the page read them at its start; for a
    // record or a file what it says of itself ("testTime" as written); empty for a result that
    // came without a start of its kind.
    QVariantMap parameters;
};

// The latest result of each test kind, as the pages were handed it. GUI thread only.
class CResultModel : public QObject {
    Q_OBJECT
  public:
    // A test of `kind` starts now with these entries: the instrument's results of that kind
    // carry them until the next start. The page is cleared for the new result, so the last
    // result of that kind is forgotten too.
    void NoteStart(int kind, QVariantMap parameters);
    // Replaces the result of `kind` (an index of tarvex::kTestKinds) and tells resultArrived (with
    // the reply frame it was decoded from, empty when there is none), then resultChanged. A
    // result from the instrument carries the entries of its start, any other `ownParameters`.
    void Store(int kind, TestResult::Value value, ResultSource source,
               const QByteArray& rawReply = {}, const QVariantMap& ownParameters = {});
    // A result measured before (from the archive) is on show again: the latest of its kind from
    // now, as it was measured. Not an arrival, so nobody records it again.
    void ShowAgain(int kind, const TestResult& result);
    // The latest result of `kind`; empty while none came.
    std::optional<TestResult> Latest(int kind) const;
    // Forgets every result and every start, as at the program's start.
    void Clear();

  signals:
    // A result has just arrived, before anyone shows it.
    void resultArrived(int kind, const TestResult& result, const QByteArray& rawReply);
    void resultChanged(int kind);

  private:
    std::map<int, TestResult> m_results;
    std::map<int, QVariantMap> m_started;
};
