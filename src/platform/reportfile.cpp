#include "platform/reportfile.h"

#include "platform/gbktext.h"

#include <QSaveFile>

#include <cstdlib>

using tarvex::FromGbk;
using tarvex::ToGbk;

QString SuggestedReportName(const QString& itemText, const QString& parentText) {
    if (ToGbk(itemText).size() >= 4)
        return itemText;
    return parentText.left(2) +
           QString::asprintf("%03d", std::atoi(itemText.toLatin1().constData()));
}

QString WithTxtExtension(const QString& path) {
    return path.endsWith(".txt", Qt::CaseInsensitive) ? path : path + ".txt";
}

QString UnsavableCharacter(const QString& report) {
    // The encoder writes "?" for what it cannot encode: the first place where the text read
    // back differs is that character.
    const QString readBack = FromGbk(ToGbk(report));
    qsizetype i = 0;
    while (i < report.size() && i < readBack.size() && report[i] == readBack[i])
        ++i;
    if (i == report.size())
        return {};
    return report.mid(i, report[i].isHighSurrogate() ? 2 : 1);
}

bool SaveReportFile(const QString& path, const QString& report) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = ToGbk(report);
    // The flush is checked here: commit() alone has been seen to rename a file that a full disk
    // (or a size limit) cut short.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        file.commit();
        return false;
    }
    return file.commit();
}
