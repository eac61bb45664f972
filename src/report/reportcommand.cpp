#include "reportcommand.h"

#include "pdfreport.h"
#include "platform/filedialog.h"
#include "platform/msgbox.h"
#include "platform/usersettings.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace tarvex {

namespace {

int Ask(QWidget* owner, const QString& text, unsigned style) {
    return MessageBox(owner, text, "系统提示", style | MB_ICONINFORMATION);
}

// The dialog has asked about the name typed; a name that only ".pdf" made into an existing file
// is asked about here.
QString PdfPath(QWidget* owner, const QString& typed) {
    if (typed.endsWith(".pdf", Qt::CaseInsensitive))
        return typed;
    const QString path = typed + ".pdf";
    if (QFileInfo::exists(path) &&
        Ask(owner, QString("文件%1已存在，是否替换？").arg(QFileInfo(path).fileName()), MB_YESNO) !=
            IDYES)
        return {};
    return path;
}

} // namespace

ReportHeader CurrentReportHeader() {
    return {RememberedValue("identity/deviceNo").toString(),
            RememberedValue("identity/tester").toString(),
            RememberedValue("identity/site").toString(), QDate::currentDate()};
}

QString SaveReportPdf(QWidget* owner, const QList<ReportEntry>& entries) {
    if (entries.isEmpty()) {
        Ask(owner, "没有可生成报告的测试结果", MB_OK);
        return {};
    }
    const ReportHeader header = CurrentReportHeader();
    const QString suggested = "测试报告_" + header.date.toString("yyyyMMdd") + ".pdf";
    const QString typed = GetSaveFilePath(owner, suggested, "PDF文件(*.pdf)|*.pdf|");
    if (typed.isEmpty())
        return {};
    const QString path = PdfPath(owner, typed);
    if (path.isEmpty())
        return {};
    if (!CPdfReport(header, entries).Write(path)) {
        Ask(owner, "生成报告失败", MB_OK);
        return {};
    }
    if (Ask(owner, "报告已生成，是否打开？", MB_YESNO) == IDYES)
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    return path;
}

} // namespace tarvex
