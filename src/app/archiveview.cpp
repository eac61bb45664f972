#include "archiveview.h"
#include "report/reportcommand.h"
#include "reportentries.h"

#include "controls/mytabctrl.h"
#include "history/archivedlg.h"
#include "mainfrm.h"
#include "pages/excitationpage.h"
#include "pages/ibbdlg.h"
#include "platform/msgbox.h"
#include "platform/reportfile.h"
#include "platform/statusnote.h"
#include "state/appstate.h"
#include "state/archivedvalue.h"
#include "state/resultrecorder.h"
#include "testkinds.h"

#include <QJsonArray>

namespace {

// The record as the upload left it in the record list.
tagTESTRECORD RecordOf(const ArchivedResult& row, const tarvex::ExcitationReply& curve) {
    tagTESTRECORD rec;
    const QJsonObject& p = row.parameters;
    rec.strDate = p["date"].toString();
    rec.strTestTime = p["testTime"].toString();
    const QJsonArray texts = p["texts"].toArray();
    rec.strText1 = texts.at(0).toString();
    rec.strText2 = texts.at(1).toString();
    rec.strText3 = texts.at(2).toString();
    rec.fKneeVoltage = static_cast<float>(curve.kneeVoltage);
    rec.fKneeCurrent = static_cast<float>(curve.kneeCurrent);
    rec.nTestVoltage = static_cast<std::int16_t>(p["testVoltage"].toInt());
    rec.nTestCurrent = static_cast<std::int16_t>(p["testCurrent"].toInt());
    rec.byLineNo = static_cast<unsigned char>(row.line.toInt());
    rec.byGroupNo = static_cast<unsigned char>(row.group.toInt());
    rec.byPhase = row.phase.toInt(nullptr, 16);
    for (const tarvex::ExcitationPoint& point : curve.points) {
        rec.arrCurrent.append(static_cast<float>(point.current));
        rec.arrVoltage.append(static_cast<float>(point.voltage));
    }
    return rec;
}

void ShowCurve(CExcitationPage* page, const ArchivedResult& row,
               const tarvex::ExcitationReply& curve) {
    const bool record = row.source == ResultSource::UploadedRecord;
    page->SetHistoryMode(record);
    if (record)
        page->ShowRecord(RecordOf(row, curve), row.parameters["recordNo"].toInt());
    else
        page->ShowArchivedResult(curve, row.parameters.toVariantMap());
}

void ShowOnPage(CTestPage* page, const ArchivedResult& row, const TestResult::Value& value) {
    if (auto* excitation = dynamic_cast<CExcitationPage*>(page)) {
        if (const auto* curve = std::get_if<tarvex::ExcitationReply>(&value))
            ShowCurve(excitation, row, *curve);
        return;
    }
    page->ClearResults();
    // The ratio page shows the fields of the instrument type the result was measured with.
    if (auto* ctRatio = dynamic_cast<CIBBDlg*>(page); ctRatio && row.deviceInfo.size() >= 5)
        ctRatio->SetDeviceType(static_cast<unsigned char>(row.deviceInfo[4]));
    page->ShowResult(value);
}

} // namespace

void ShowArchivedResult(CMainFrame& frame, const ArchivedResult& row) {
    const std::optional<TestResult> result = ArchivedTestResult(row);
    CTestPage* page = frame.TestPage(row.testKind);
    if (!result || !page) {
        MessageBox(&frame, "该测试结果无法显示", "系统提示", MB_OK | MB_ICONINFORMATION);
        return;
    }
    frame.m_TabCtrl->show();
    frame.m_TabCtrl->SetCurrentTab(row.testKind);
    frame.m_TabCtrl->ShowPage(row.testKind);
    // The model holds what the page shows, so Save, Print and the report give this result.
    theApp().m_results.ShowAgain(row.testKind, *result);
    ShowOnPage(page, row, result->value);
    const int report = CMainFrame::ReportKindOf(row.testKind);
    const bool record = row.source == ResultSource::UploadedRecord;
    frame.m_strArchivedSaveName =
        record ? SuggestedReportName(row.parameters["recordNo"].toVariant().toString(),
                                     tarvex::FindTestKind(row.testKind)->name)
               : QString(tarvex::FindTestKind(row.testKind)->name);
    frame.m_nReportKind = report;
    frame.SetCanSave(report >= 0, report >= 0);
    tarvex::ShowStatusText(QString("测试档案：%1 %2 的结果")
                               .arg(row.recordedAt.toLocalTime().toString("yyyy-MM-dd HH:mm:ss"),
                                    tarvex::FindTestKind(row.testKind)->name));
}

void OpenArchiveWindow(CMainFrame& frame) {
    auto* window = frame.findChild<CArchiveDlg*>();
    if (!window) {
        CResultRecorder* recorder = theApp().m_pRecorder;
        if (!recorder || !recorder->Archive().IsOpen()) {
            const QString cause = recorder ? recorder->Archive().Fault() : QString();
            MessageBox(&frame, "测试档案不可用：" + cause, "系统提示", MB_OK | MB_ICONINFORMATION);
            return;
        }
        window = new CArchiveDlg(recorder->Archive(), &frame);
        QObject::connect(window, &CArchiveDlg::openRequested, &frame,
                         [&frame](const ArchivedResult& row) { ShowArchivedResult(frame, row); });
        QObject::connect(window, &CArchiveDlg::reportRequested, window,
                         [window](const QList<ArchivedResult>& rows) {
                             tarvex::SaveReportPdf(window, ReportEntriesOfArchive(rows));
                         });
    } else {
        window->Refresh();
    }
    window->show();
    window->raise();
    window->activateWindow();
}
