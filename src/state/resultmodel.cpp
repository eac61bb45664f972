#include "resultmodel.h"

void CResultModel::NoteStart(int kind, QVariantMap parameters) {
    m_started[kind] = std::move(parameters);
}

void CResultModel::Store(int kind, TestResult::Value value, ResultSource source,
                         const QByteArray& rawReply) {
    QVariantMap parameters;
    if (source == ResultSource::Instrument)
        parameters = m_started[kind];
    const TestResult& result =
        m_results[kind] = {std::move(value), QDateTime::currentDateTime(), source, parameters};
    emit resultArrived(kind, result, rawReply);
    emit resultChanged(kind);
}

std::optional<TestResult> CResultModel::Latest(int kind) const {
    const auto it = m_results.find(kind);
    if (it == m_results.end())
        return std::nullopt;
    return it->second;
}
