#include "history/reportcommands.h"

#include "history/wordreport.h"
#include "platform/filedialog.h"
#include "platform/msgbox.h"
#include "platform/reportfile.h"
#include "state/appstate.h"

#include <QFileInfo>

namespace {

void Tell(QWidget* owner, const QString& text) {
    MessageBox(owner, text, "系统提示", MB_OK | MB_ICONINFORMATION);
}

// The file dialog has asked about the name typed; a name that only ".txt" made into an
// existing file is asked about here.
bool MayWrite(QWidget* owner, const QString& typed, const QString& path) {
    if (path == typed || !QFileInfo::exists(path))
        return true;
    const QString question = QString("文件%1已存在，是否替换？").arg(QFileInfo(path).fileName());
    return MessageBox(owner, question, "系统提示", MB_YESNO | MB_ICONINFORMATION) == IDYES;
}

} // namespace

QString SaveReport(QWidget* owner, const QString& suggestedName) {
    const QString report = theApp().m_strReport;
    if (report.isEmpty())
        return {};
    // Refused before a name is asked for: GBK would write "?" in its place.
    if (const QString unsavable = UnsavableCharacter(report); !unsavable.isEmpty()) {
        Tell(owner, QString("报告含有无法保存的字符'%1'").arg(unsavable));
        return {};
    }
    const QString typed = GetSaveFilePath(owner, suggestedName, "数据文件(*.txt)|*.txt|");
    if (typed.isEmpty())
        return {};
    const QString path = WithTxtExtension(typed);
    if (!MayWrite(owner, typed, path))
        return {};
    if (!SaveReportFile(path, report)) {
        Tell(owner, "保存文件失败");
        return {};
    }
    return path;
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
