#pragma once
#include <QString>

#include <functional>

class QWidget;

// The Open and Save As dialogs. The filter is written the framework's way, pairs of description
// and patterns separated by '|' ("数据文件(*.txt)|*.txt|"); the operator sees the descriptions as
// written. Both return the chosen full path, or an empty string when the operator cancels.
// Save As asks before it overwrites a file and adds no extension. Both open in the folder of
// the last file chosen, in this run or an earlier one (the working folder at first).
// GUI thread only.
QString GetOpenFilePath(QWidget* owner, const QString& filter);
QString GetSaveFilePath(QWidget* owner, const QString& suggestedName, const QString& filter);

namespace tarvex {

// The framework's filter in Qt's form: "数据文件(*.txt)|*.txt|" gives "数据文件(*.txt) (*.txt)";
// several pairs are joined with ";;", patterns separated by ';' by spaces, and "*.*" (every file
// on Windows, also those without a dot) becomes "*". An empty filter gives an empty string.
QString QtFileFilter(const QString& filter);

enum class FileDialogKind { Open, Save };

// What the program asked a file dialog for; filter as the program wrote it.
struct FileDialogCall {
    FileDialogKind kind = FileDialogKind::Open;
    QString suggestedName;
    QString filter;
    QWidget* owner = nullptr;
    QString folder; // where the dialog opens
};

using FileDialogHook = std::function<QString(const FileDialogCall&)>;

// While a hook is set no dialog is shown: the hook's path (empty = cancelled) is returned.
// An empty hook restores the real dialogs. Returns the hook it replaces. Tests only
// (FileDialogRecorder in filedialogrecorder.h wraps it).
FileDialogHook SetFileDialogHook(FileDialogHook hook);

} // namespace tarvex
