#include "history/reportfile.h"

#include <QSaveFile>
#include <QStringEncoder>

#include <cstdlib>

namespace {

QByteArray Gbk(const QString& text) {
    QStringEncoder encoder("GBK");
    return encoder.encode(text);
}

} // namespace

QString SuggestedReportName(const QString& itemText, const QString& parentText) {
    if (Gbk(itemText).size() >= 4)
        return itemText;
    return parentText.left(2) +
           QString::asprintf("%03d", std::atoi(itemText.toLatin1().constData()));
}

QString WithTxtExtension(const QString& path) {
    return path.endsWith(".txt", Qt::CaseInsensitive) ? path : path + ".txt";
}

bool SaveReportFile(const QString& path, const QString& report) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = Gbk(report);
    // The flush is checked here: commit() alone has been seen to rename a file that a full disk
    // (or a size limit) cut short.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        file.commit();
        return false;
    }
    return file.commit();
}
