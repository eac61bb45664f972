#pragma once
#include "pages/chart.h"
#include "pages/excitationfile.h"
#include "pages/testpage.h"
#include "replydecoders.h"
#include "state/reporttext.h"
#include "state/resultmodel.h"
#include "state/testrecord.h"

#include <QString>
#include <QVariantMap>

#include <tuple>
#include <vector>

class CAppState;
class QLabel;
class QTreeWidget;

// The excitation (volt-ampere) test page, shared by the CT page (CIVADlg) and the PT page
// (CUVADlg): parameters, the test sequence, the point list, the chart with its knee cross, the
// history view of an uploaded record, the data file and the report text. GUI thread only.
class CExcitationPage : public CTestPage {
    Q_OBJECT
  public:
    // What tells the CT and the PT page apart.
    struct Kind {
        unsigned char replyCode;          // reply code of the result: 0x1A CT, 0x1F PT
        int startPauseMs;                 // pause between the parameters and the start
        CRecordArray CAppState::*records; // the uploaded records shown in history mode
        bool rereadEntriesForReport;      // the report reads the entries back first (PT)
    };

    CExcitationPage(QWidget* parent, const Kind& kind);
    ~CExcitationPage() override;

    unsigned char ReplyCode() const { return m_kind.replyCode; }

    // Live mode (false): start, open and error-curve buttons, entries enabled. History mode
    // (true): the "测量数据" group instead. The result on show stays.
    void SetHistoryMode(bool mode);
    // Shows uploaded record index (zero-based) of the page's record list; an index outside the
    // list changes nothing.
    void ShowHistoryRecord(int index);
    // An uploaded record as ShowHistoryRecord shows it, numbered `number` (one-based).
    void ShowRecord(const tagTESTRECORD& rec, int number);
    // A result of the results archive as it was shown when measured: the entries of its start
    // (its parameters as the start noted them) and the curve.
    void ShowArchivedResult(const tarvex::ExcitationReply& result, const QVariantMap& parameters);
    // "历史记录 N  测试时间：T" while the curve on show is that of an uploaded record, in live
    // mode too; empty once another result has replaced it.
    QString RecordOnShow() const { return m_strRecordOnShow; }
    // The instrument's result: the knee point and the points that arrived, each voltage cut to
    // 0.5 V steps, after the origin.
    void ShowExcitationResult(const tarvex::ExcitationReply& result);
    // The report of the result on show (the model's latest of this page's kind, with the
    // page's entries) into theApp().m_strReport (replaced).
    void BuildResultText();
    void ClearResults() override;
    void ShowResult(const TestResult::Value& value) override;

    // Reads an excitation data file's bytes (see tarvex::ReadExcitationFile) as the result on
    // show, in place of the one before. False, and the result on show untouched, when the bytes
    // are no data file.
    bool LoadDataFile(const QByteArray& bytes);

    // Button handlers: "开始测试" (1009), "打开数据" (1010), "误差曲线" (1016). "打开数据" asks for
    // a file, reads its first MiB with LoadDataFile and says "不是有效的数据文件" when it is none.
    // "误差曲线" asks for the error-curve window (errorCurveAsked).
    void OnStart();
    void OnOpenData();
    void OnErrorCurve();

    std::vector<tagFWPOINT> m_Points; // measured points of the shown curve, in pixels
    // The curve on show, this page's own: the origin and the points, in A and V.
    QList<float> m_CurveCurrents;
    QList<float> m_CurveVoltages;
    float m_fKneeVoltage = 0;      // V
    float m_fKneeCurrent = 0;      // A
    QTreeWidget* m_list = nullptr; // 1003
    int m_nTestVoltage = 200;      // V, 1004, 10 to 2500
    int m_nTestCurrent = 1;        // A, 1005, 1 to 5
    int m_nLineNo = 1;             // 1006, 1 to 99
    int m_nGroupNo = 1;            // 1007, 1 to 9
    int m_bHistoryMode = 0;

  signals:
    // The operator asked for the error-curve window of the curve on show.
    void errorCurveAsked();
    // The curve on show was emptied to make way for another (a start, a result, a record, a
    // file): what was computed from it no longer belongs to the page.
    void curveReplaced();

  protected:
    void DoDataExchange(CDataExchange& dx) override;
    bool OnInitDialog() override;
    void paintEvent(QPaintEvent* event) override;

  private:
    // The members of the four entries. The test voltage and current also scale the chart and
    // the report of the result on show, so only a start that goes ahead may keep new values.
    using EntryValues = std::tuple<int, int, int, int>;
    auto EntryMembers() { return std::tie(m_nTestVoltage, m_nTestCurrent, m_nLineNo, m_nGroupNo); }

    // Empties the points, the list and the curve arrays.
    void ClearCurve();
    // Appends one point: its position (while the scales can be mapped), the curve arrays and
    // the list row numbered `number`. The rows reach the list with ShowRows.
    void AppendPoint(int number, float current, float voltage);
    void AppendOrigin();
    // Puts the rows appended since the list was last emptied into it, all at once; while the
    // dispatcher hands out a reply block, when it has handed out the whole block.
    void ShowRows();
    void AddRowsToList();
    void ShowKneeLabels();
    // Reads the entries into the members and checks them against their ranges and the
    // instrument's limits; false, after telling the operator, when one fails.
    bool CheckStartEntries();
    // Phase box text to the code the instrument takes: "A" 0, "B" 1, anything else 2.
    int PhaseCode() const;
    // The entries the report gives, the line, group and phase texts as they stand.
    tarvex::ExcitationReportEntries ReportEntries() const;
    void ApplyFileHead(const tarvex::ExcitationFileContents& file);
    // Keeps the knee point and the curve on show, the origin left out, as the page's latest
    // result from `source`, with the test time it gives.
    void RecordCurveOnShow(ResultSource source, const QString& testTime);

    struct Row {
        int number;
        float current; // A
        float voltage; // V
    };

    const Kind m_kind;
    std::vector<Row> m_rows; // the rows of the curve, from the origin on
    int m_nRowsShown = 0;    // how many of them the list holds
    QString m_strRecordOnShow;
    QLabel* m_kneeVoltageLabel = nullptr; // 1033
    QLabel* m_kneeCurrentLabel = nullptr; // 1034
};
