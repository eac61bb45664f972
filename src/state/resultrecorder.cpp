#include "resultrecorder.h"

#include "appstate.h"
#include "archivedvalue.h"
#include "platform/statusnote.h"
#include "platform/usersettings.h"

#include <QJsonArray>

namespace {

QString PhaseLetter(int code) {
    return code >= 0 && code <= 2 ? QString(QChar('A' + code)) : QString::number(code);
}

QByteArray DeviceInfoFrame(const tarvex::DeviceInfo& info) {
    QByteArray payload;
    for (const auto& byte : {info.model, info.deviceType, info.range}) {
        if (!byte)
            break;
        payload.append(static_cast<char>(*byte));
    }
    if (payload.isEmpty())
        return {};
    return ReplyFrame(
        0xE0, tarvex::ReplyBytes(reinterpret_cast<const unsigned char*>(payload.constData()),
                                 static_cast<std::size_t>(payload.size())));
}

} // namespace

QByteArray ReplyFrame(unsigned char code, tarvex::ReplyBytes payload) {
    QByteArray frame("\x55\xAA", 2);
    frame.append(static_cast<char>(code));
    frame.append(reinterpret_cast<const char*>(payload.data()),
                 static_cast<qsizetype>(payload.size()));
    return frame;
}

CResultRecorder::CResultRecorder(CAppState& app, const QString& archivePath)
    : m_app(app), m_archive(archivePath) {
    connect(&app.m_results, &CResultModel::resultArrived, this, &CResultRecorder::OnResultArrived);
}

void CResultRecorder::TellOpeningFault() {
    if (!m_archive.Fault().isEmpty())
        TellFault(m_archive.Fault());
}

void CResultRecorder::TellFault(const QString& cause) {
    if (m_bFaultTold)
        return;
    m_bFaultTold = true;
    tarvex::ShowStatusText("测试档案不可用：" + cause);
}

// Results from the instrument only: a record shown again or a data file opened came already.
void CResultRecorder::OnResultArrived(int kind, const TestResult& result,
                                      const QByteArray& rawReply) {
    if (result.source != ResultSource::Instrument)
        return;
    ArchivedResult row;
    row.recordedAt = result.arrived;
    row.testKind = kind;
    row.parameters = QJsonObject::fromVariantMap(result.parameters);
    if (result.parameters.contains("lineNo")) {
        row.line = result.parameters["lineNo"].toString();
        row.group = result.parameters["groupNo"].toString();
        row.phase = PhaseLetter(result.parameters["phase"].toInt());
    }
    row.keyValues = ValueJson(result.value);
    row.rawReply = rawReply;
    Record(std::move(row));
}

void CResultRecorder::RecordUpload(int kind, const tagTESTRECORD& record, int number,
                                   const QDateTime& testTime, const QByteArray& rawReply) {
    ArchivedResult row;
    row.testKind = kind;
    row.source = ResultSource::UploadedRecord;
    row.recordTestTime = testTime;
    row.line = QString::number(record.byLineNo);
    row.group = QString::number(record.byGroupNo);
    row.phase = QString::asprintf("%X", record.byPhase);
    row.parameters = {{"recordNo", number},
                      {"date", record.strDate},
                      {"testTime", record.strTestTime},
                      {"testVoltage", record.nTestVoltage},
                      {"testCurrent", record.nTestCurrent},
                      {"texts", QJsonArray{record.strText1, record.strText2, record.strText3}}};
    // The curve as the excitation page shows the record.
    tarvex::ExcitationReply curve{record.fKneeVoltage, record.fKneeCurrent, 0, {}};
    for (qsizetype i = 0; i < std::min(record.arrCurrent.size(), record.arrVoltage.size()); ++i)
        curve.points.push_back({record.arrCurrent[i], record.arrVoltage[i]});
    curve.claimedPoints = static_cast<int>(curve.points.size());
    row.keyValues = ValueJson(curve);
    row.rawReply = rawReply;
    Record(std::move(row));
}

void CResultRecorder::Record(ArchivedResult row) {
    row.deviceNumber = tarvex::RememberedValue("identity/deviceNo").toString();
    row.tester = tarvex::RememberedValue("identity/tester").toString();
    row.site = tarvex::RememberedValue("identity/site").toString();
    const tarvex::DeviceInfo& info = m_app.m_deviceInfo;
    if (info.model)
        row.instrumentModel = QString::asprintf("%02X", *info.model);
    row.deviceInfo = DeviceInfoFrame(info);
    const ArchiveWrite written = m_archive.Record(row);
    if (!written)
        TellFault(written.fault);
}
