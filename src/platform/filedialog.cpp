#include "filedialog.h"

#include "usersettings.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

#include <utility>

namespace {

tarvex::FileDialogHook& Hook() {
    static tarvex::FileDialogHook hook;
    return hook;
}

// The Qt form appends the patterns to each description; hiding those details shows the
// operator the framework's description alone.
constexpr QFileDialog::Options kOptions = QFileDialog::HideNameFilterDetails;

const char* const kFolderKey = "files/folder";

QString Ask(const tarvex::FileDialogCall& call) {
    if (const tarvex::FileDialogHook hook = Hook()) // a copy: the hook may replace itself
        return hook(call);
    const QString filter = tarvex::QtFileFilter(call.filter);
    if (call.kind == tarvex::FileDialogKind::Open)
        return QFileDialog::getOpenFileName(call.owner, "打开", call.folder, filter, nullptr,
                                            kOptions);
    const QString start = QDir(call.folder).filePath(call.suggestedName);
    return QFileDialog::getSaveFileName(call.owner, "另存为", start, filter, nullptr, kOptions);
}

QString Choose(tarvex::FileDialogKind kind, QWidget* owner, const QString& suggestedName,
               const QString& filter) {
    const QString folder = tarvex::RememberedValue(kFolderKey, QDir::currentPath()).toString();
    const QString path = Ask({kind, suggestedName, filter, owner, folder});
    if (!path.isEmpty())
        tarvex::Remember(kFolderKey, QFileInfo(path).absolutePath());
    return path;
}

} // namespace

QString GetOpenFilePath(QWidget* owner, const QString& filter) {
    return Choose(tarvex::FileDialogKind::Open, owner, QString(), filter);
}

QString GetSaveFilePath(QWidget* owner, const QString& suggestedName, const QString& filter) {
    return Choose(tarvex::FileDialogKind::Save, owner, suggestedName, filter);
}

namespace tarvex {

QString QtFileFilter(const QString& filter) {
    QStringList pieces = filter.split('|');
    while (!pieces.isEmpty() && pieces.last().trimmed().isEmpty())
        pieces.removeLast();
    QStringList entries;
    for (qsizetype i = 0; i < pieces.size(); i += 2) {
        const QString description = pieces[i].trimmed();
        QStringList patterns;
        if (i + 1 < pieces.size()) {
            for (const QString& pattern : pieces[i + 1].split(';', Qt::SkipEmptyParts)) {
                const QString p = pattern.trimmed();
                if (!p.isEmpty())
                    patterns << (p == "*.*" ? QString("*") : p);
            }
        }
        if (patterns.isEmpty())
            patterns << "*";
        const QString joined = patterns.join(' ');
        entries << (description.isEmpty() ? joined : description + " (" + joined + ")");
    }
    return entries.join(";;");
}

FileDialogHook SetFileDialogHook(FileDialogHook hook) {
    return std::exchange(Hook(), std::move(hook));
}

} // namespace tarvex
