#pragma once
#include "resultarchive.h"
#include "resultmodel.h"
#include "testrecord.h"

#include <QByteArray>
#include <QDateTime>
#include <QObject>

class CAppState;

// The frame a reply came in: 55 AA, its code and its payload.
QByteArray ReplyFrame(unsigned char code, tarvex::ReplyBytes payload);

// Writes every result from the instrument into the results archive the moment it arrives,
// before it is shown: each result the model is handed from a test, and each uploaded record
// (RecordUpload). With it go the page's entries, the identity of the settings (device number,
// tester, site) and the instrument's device information. A fault never stops anything: it is
// told once in the message pane ("测试档案不可用：" and its cause). GUI thread only.
class CResultRecorder : public QObject {
    Q_OBJECT
  public:
    CResultRecorder(CAppState& app, const QString& archivePath);

    CResultArchive& Archive() { return m_archive; }
    // Tells a fault met while the archive was opened (unusable, or damaged and set aside).
    void TellOpeningFault();
    // An uploaded excitation record of `kind` (CT or PT excitation), number `number` in the
    // instrument's list, as the record list now holds it, tested at `testTime`.
    void RecordUpload(int kind, const tagTESTRECORD& record, int number, const QDateTime& testTime,
                      const QByteArray& rawReply);

  private:
    void OnResultArrived(int kind, const TestResult& result, const QByteArray& rawReply);
    void Record(ArchivedResult row);
    void TellFault(const QString& cause);

    CAppState& m_app;
    CResultArchive m_archive;
    bool m_bFaultTold = false;
};
