#include "history/reportcommands.h"

#include "app/tarvexapp.h"
#include "history/reportfile.h"
#include "history/wordreport.h"
#include "platform/filedialog.h"
#include "platform/msgbox.h"

void SaveReport(QWidget* owner, const QString& suggestedName) {
    const QString report = theApp().m_strReport;
    if (report.isEmpty())
        return;
    const QString path = GetSaveFilePath(owner, suggestedName, "数据文件(*.txt)|*.txt|");
    if (path.isEmpty())
        return;
    if (!SaveReportFile(WithTxtExtension(path), report))
        MessageBox(owner, "保存文件失败", "系统提示", MB_OK | MB_ICONINFORMATION);
}

void PrintReport(QWidget* owner) {
    const QString report = theApp().m_strReport;
    if (report.isEmpty())
        return;
    CWordReport word(owner);
    if (!word.CreateApplication() || !word.AddDocument(QString(), false, 0, true))
        return;
    word.TypeText(report);
    word.MoveRight("1", "1", "0");
    word.SetVisible(true);
    word.PrintPreview();
}
