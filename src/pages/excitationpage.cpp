#include "pages/excitationpage.h"

#include "devicelink.h"
#include "link/replyfields.h"
#include "platform/filedialog.h"
#include "platform/fonts.h"
#include "platform/gbktext.h"
#include "platform/msgbox.h"
#include "platform/reportfile.h"
#include "platform/reportlist.h"
#include "platform/statusnote.h"
#include "platform/updatebatch.h"
#include "replylayout.h"
#include "state/appstate.h"
#include "testkinds.h"

#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QTreeWidget>

#include <algorithm>
#include <climits>

namespace {

// Far more than the 255 points of an instrument's result; the reader takes the first MiB.
constexpr qint64 kMaxDataFileBytes = 1 << 20;

int Trunc(double v) {
    return tarvex::TruncSaturated(v, INT_MAX);
}

int FileInteger(const QString& text) {
    return tarvex::CAtoi(text.toUtf8());
}

} // namespace

CExcitationPage::CExcitationPage(QWidget* parent, const Kind& kind)
    : CTestPage(parent), m_kind(kind) {}

CExcitationPage::~CExcitationPage() = default;

void CExcitationPage::DoDataExchange(CDataExchange& dx) {
    DDX_Control(dx, 1003, m_list);
    DDX_Text(dx, 1004, m_nTestVoltage);
    DDV_MinMaxInt(dx, m_nTestVoltage, 10, 2500);
    DDX_Text(dx, 1005, m_nTestCurrent);
    DDV_MinMaxInt(dx, m_nTestCurrent, 1, 5);
    DDX_Text(dx, 1006, m_nLineNo);
    DDV_MinMaxInt(dx, m_nLineNo, 1, 99);
    DDX_Text(dx, 1007, m_nGroupNo);
    DDV_MinMaxInt(dx, m_nGroupNo, 1, 9);
}

bool CExcitationPage::OnInitDialog() {
    CTestPage::OnInitDialog();

    m_kneeVoltageLabel = qobject_cast<QLabel*>(GetDlgItem(1033));
    m_kneeCurrentLabel = qobject_cast<QLabel*>(GetDlgItem(1034));
    const QFont kneeFont = tarvex::SongFont(14, 600);
    for (QLabel* label : {m_kneeVoltageLabel, m_kneeCurrentLabel}) {
        if (label)
            label->setFont(kneeFont);
    }

    tarvex::PrepareReportList(m_list, {"序号", "电流(A)", "电压(V)"}, 100);

    OnClicked(1009, &CExcitationPage::OnStart);
    OnClicked(1010, &CExcitationPage::OnOpenData);
    OnClicked(1016, &CExcitationPage::OnErrorCurve);

    SetDlgItemText(1014, "A");
    SetHistoryMode(false);
    return true;
}

void CExcitationPage::SetHistoryMode(bool mode) {
    m_bHistoryMode = mode ? 1 : 0;
    for (int id : {1009, 1010, 1016})
        ShowItem(id, !mode);
    ShowItem(3, false);
    for (int id : {1004, 1005, 1006, 1007, 1014})
        EnableItem(id, !mode);
    for (int id : {1024, 1025, 1027, 1029, 1030, 1031, 1032, 1011, 1012, 1013, 1015})
        ShowItem(id, mode);
}

void CExcitationPage::ClearCurve() {
    m_Points.clear();
    m_rows.clear();
    m_nRowsShown = 0;
    if (m_list)
        m_list->clear();
    m_CurveCurrents.clear();
    m_CurveVoltages.clear();
    emit curveReplaced();
    if (!m_strRecordOnShow.isEmpty()) {
        m_strRecordOnShow.clear();
        tarvex::ShowStatusNote(tarvex::StatusNote::Ready);
    }
}

void CExcitationPage::ClearResults() {
    ClearCurve();
    m_fKneeVoltage = 0;
    m_fKneeCurrent = 0;
    SetDlgItemText(1033, QString());
    SetDlgItemText(1034, QString());
    update();
}

void CExcitationPage::AppendPoint(int number, float current, float voltage) {
    if (auto position = TryMapPoint(current, voltage, m_nTestCurrent, m_nTestVoltage))
        m_Points.push_back(*position);
    m_CurveCurrents.append(current);
    m_CurveVoltages.append(voltage);
    m_rows.push_back({number, current, voltage});
}

// The origin opens every curve from the instrument or a record: a list row and the arrays,
// but no drawn point.
void CExcitationPage::AppendOrigin() {
    m_CurveCurrents.append(0);
    m_CurveVoltages.append(0);
    m_rows.push_back({1, 0, 0});
}

// Items made before they join the list, and joined in one step: a list told of every item
// and every alignment on its own takes seconds for a file of many thousand points. While the
// dispatcher hands out a block, only its last curve for this page becomes rows.
void CExcitationPage::ShowRows() {
    tarvex::ShowWhenBatchEnds(this, [this] { AddRowsToList(); });
}

void CExcitationPage::AddRowsToList() {
    if (!m_list)
        return;
    // Every row a copy of one centred row, sharing its alignments.
    QTreeWidgetItem centred(QStringList{QString(), QString(), QString()});
    for (int column = 0; column < 3; ++column)
        centred.setTextAlignment(column, Qt::AlignCenter);
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(m_rows.size()) - m_nRowsShown);
    for (std::size_t i = m_nRowsShown; i < m_rows.size(); ++i) {
        const Row& r = m_rows[i];
        QTreeWidgetItem* item = centred.clone();
        item->setText(0, QString::number(r.number));
        item->setText(1, tarvex::CurveCurrentText(r.current));
        item->setText(2, tarvex::CurveVoltageText(r.voltage));
        items.append(item);
    }
    m_list->addTopLevelItems(items);
    m_nRowsShown = static_cast<int>(m_rows.size());
}

void CExcitationPage::ShowKneeLabels() {
    SetDlgItemText(1033, "U = " + tarvex::KneeVoltageText(m_fKneeVoltage) + " V");
    SetDlgItemText(1034, "I = " + tarvex::KneeCurrentText(m_fKneeCurrent) + " A");
}

int CExcitationPage::PhaseCode() const {
    const QString phase = GetDlgItemText(1014);
    if (phase == "A")
        return 0;
    if (phase == "B")
        return 1;
    return 2;
}

bool CExcitationPage::CheckStartEntries() {
    // A failed range check has shown its message and focused the field.
    if (!UpdateData(true))
        return false;
    const CAppState& app = theApp();
    if (m_nTestVoltage > app.m_nMaxTestVoltage) {
        MessageBox(this,
                   QString::asprintf("测试电压不能超过%dV，请重新设置", app.m_nMaxTestVoltage),
                   "系统提示", MB_OK | MB_ICONINFORMATION);
        return false;
    }
    if (m_nTestCurrent > app.m_nMaxTestCurrent) {
        MessageBox(this,
                   QString::asprintf("测试电流不能超过%dA，请重新设置", app.m_nMaxTestCurrent),
                   "系统提示", MB_OK | MB_ICONINFORMATION);
        return false;
    }
    return true;
}

void CExcitationPage::OnStart() {
    if (StartRefused())
        return;
    // A refused start puts the members back: the result on show stays as it was measured.
    const EntryValues shown = EntryMembers();
    if (!CheckStartEntries()) {
        EntryMembers() = shown;
        return;
    }
    const int phase = PhaseCode();
    // Only a start that goes ahead replaces the result on show.
    ClearResults();
    theApp().m_results.NoteStart(tarvex::TestKindOfReply(m_kind.replyCode),
                                 {{"testVoltage", m_nTestVoltage},
                                  {"testCurrent", m_nTestCurrent},
                                  {"lineNo", m_nLineNo},
                                  {"groupNo", m_nGroupNo},
                                  {"phase", phase}});
    RunTest(
        [this, phase](CDeviceLink& link) {
            link.SendExcitationParams(m_nTestVoltage, m_nTestCurrent, m_nLineNo, m_nGroupNo, phase);
        },
        m_kind.startPauseMs);
}

void CExcitationPage::ShowExcitationResult(const tarvex::ExcitationReply& result) {
    m_fKneeVoltage = static_cast<float>(result.kneeVoltage);
    m_fKneeCurrent = static_cast<float>(result.kneeCurrent);
    ClearCurve();
    ShowKneeLabels();
    AppendOrigin();
    for (std::size_t i = 0; i < result.points.size(); ++i) {
        const tarvex::ExcitationPoint& point = result.points[i];
        AppendPoint(static_cast<int>(i) + 2, static_cast<float>(point.current),
                    tarvex::ShownCurveVoltage(true, point.voltage));
    }
    ShowRows();
    update();
}

void CExcitationPage::RecordCurveOnShow(ResultSource source, const QString& testTime) {
    tarvex::ExcitationReply curve{m_fKneeVoltage, m_fKneeCurrent, 0, {}};
    const qsizetype first = source == ResultSource::DataFile ? 0 : 1; // after the origin
    for (qsizetype i = first; i < std::min(m_CurveCurrents.size(), m_CurveVoltages.size()); ++i)
        curve.points.push_back({m_CurveCurrents[i], m_CurveVoltages[i]});
    curve.claimedPoints = static_cast<int>(curve.points.size());
    theApp().m_results.Store(tarvex::TestKindOfReply(m_kind.replyCode), std::move(curve), source,
                             {}, {{"testTime", testTime}});
}

void CExcitationPage::ShowArchivedResult(const tarvex::ExcitationReply& result,
                                         const QVariantMap& parameters) {
    auto entry = [&](const char* name, int& member) {
        if (parameters.contains(name))
            member = parameters[name].toInt();
    };
    entry("testVoltage", m_nTestVoltage);
    entry("testCurrent", m_nTestCurrent);
    entry("lineNo", m_nLineNo);
    entry("groupNo", m_nGroupNo);
    UpdateData(false);
    if (parameters.contains("phase"))
        SetDlgItemText(1014, QString(QChar('A' + std::clamp(parameters["phase"].toInt(), 0, 2))));
    ShowExcitationResult(result);
}

void CExcitationPage::ShowHistoryRecord(int index) {
    const CRecordArray& records = theApp().*m_kind.records;
    if (index >= 0 && index < records.size())
        ShowRecord(records[index], index + 1);
}

void CExcitationPage::ShowRecord(const tagTESTRECORD& rec, int number) {
    ClearCurve();
    m_fKneeCurrent = rec.fKneeCurrent;
    m_fKneeVoltage = rec.fKneeVoltage;
    ShowKneeLabels();
    SetDlgItemText(1032, QString::asprintf("%d", number));
    SetDlgItemText(1011, rec.strDate);
    SetDlgItemText(1012, QString::asprintf("%d", rec.byLineNo));
    SetDlgItemText(1013, QString::asprintf("%d", rec.byGroupNo));
    SetDlgItemText(1015, QString::asprintf("%X", rec.byPhase));
    m_nTestCurrent = rec.nTestCurrent;
    m_nTestVoltage = rec.nTestVoltage;
    UpdateData(false);

    AppendOrigin();
    const qsizetype count = std::min(rec.arrCurrent.size(), rec.arrVoltage.size());
    for (qsizetype i = 0; i < count; ++i)
        AppendPoint(static_cast<int>(i) + 2, rec.arrCurrent[i], rec.arrVoltage[i]);
    ShowRows();
    update();
    m_strRecordOnShow = QString("历史记录 %1  测试时间：%2").arg(number).arg(rec.strTestTime);
    tarvex::ShowStatusNote(tarvex::StatusNote::Ready);
    RecordCurveOnShow(ResultSource::UploadedRecord, rec.strTestTime);
}

void CExcitationPage::OnErrorCurve() {
    emit errorCurveAsked();
}

tarvex::ExcitationReportEntries CExcitationPage::ReportEntries() const {
    const bool history = m_bHistoryMode != 0;
    return {m_nTestVoltage, m_nTestCurrent, GetDlgItemText(history ? 1012 : 1006),
            GetDlgItemText(history ? 1013 : 1007), GetDlgItemText(history ? 1015 : 1014)};
}

void CExcitationPage::BuildResultText() {
    // The PT page reports the entries as they stand; a range message does not stop the text.
    // The members go back afterwards, as they still scale the chart on show.
    const EntryValues shown = EntryMembers();
    if (m_kind.rereadEntriesForReport)
        UpdateData(true);
    const std::optional<TestResult> result =
        theApp().m_results.Latest(tarvex::TestKindOfReply(m_kind.replyCode));
    theApp().m_strReport =
        tarvex::ExcitationReportText(result ? &*result : nullptr, ReportEntries());
    EntryMembers() = shown;
}

void CExcitationPage::OnOpenData() {
    const QString path = GetOpenFilePath(nullptr, "数据文件(*.txt)|*.txt|");
    if (path.isEmpty())
        return;
    QFile file(WithTxtExtension(path));
    if (!file.open(QIODevice::ReadOnly))
        return;
    if (!LoadDataFile(file.read(kMaxDataFileBytes)))
        MessageBox(this, "不是有效的数据文件", "系统提示", MB_OK | MB_ICONINFORMATION);
}

bool CExcitationPage::LoadDataFile(const QByteArray& bytes) {
    const std::optional<tarvex::ExcitationFileContents> file = tarvex::ReadExcitationFile(bytes);
    if (!file)
        return false;
    ClearResults();
    ApplyFileHead(*file);
    for (std::size_t i = 0; i < file->points.size(); ++i)
        AppendPoint(static_cast<int>(i) + 1, file->points[i].current, file->points[i].voltage);
    ShowRows();
    update();
    RecordCurveOnShow(ResultSource::DataFile, file->testTime);
    return true;
}

// Test time, voltage and current, knee point, line, group and phase. A test voltage or current
// that reads as 0 (the label missing or saying 0) comes from the file's last point: the current
// one ampere above it (at most 5), the voltage 21 V above it.
void CExcitationPage::ApplyFileHead(const tarvex::ExcitationFileContents& file) {
    const tarvex::ExcitationFilePoint last =
        file.points.empty() ? tarvex::ExcitationFilePoint{} : file.points.back();
    m_nTestVoltage = FileInteger(file.testVoltage);
    if (m_nTestVoltage == 0)
        m_nTestVoltage = Trunc(last.voltage + 21.0);
    m_nTestCurrent = FileInteger(file.testCurrent);
    if (m_nTestCurrent == 0)
        m_nTestCurrent = std::min(Trunc(last.current + 1.0), 5);

    m_fKneeVoltage = tarvex::FileNumber(file.kneeVoltage);
    m_fKneeCurrent = tarvex::FileNumber(file.kneeCurrent);
    // The file's own digits, not reformatted.
    SetDlgItemText(1033, "U = " + file.kneeVoltage + " V");
    SetDlgItemText(1034, "I = " + file.kneeCurrent + " A");

    UpdateData(false);
    SetDlgItemText(1006, file.lineNo);
    SetDlgItemText(1007, file.groupNo);
    SetDlgItemText(1014, file.phase);
}

void CExcitationPage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    tarvex::PaintChart(
        painter, tarvex::ExcitationChartAxes(m_nTestCurrent, m_nTestVoltage), m_Points,
        tarvex::KneeCross(m_fKneeCurrent, m_fKneeVoltage, m_nTestCurrent, m_nTestVoltage));
}

void CExcitationPage::ShowResult(const TestResult::Value& value) {
    if (const auto* curve = std::get_if<tarvex::ExcitationReply>(&value))
        ShowExcitationResult(*curve);
}
