#include "resultmodel.h"

void CResultModel::NoteStart(int kind, QVariantMap parameters) {
    m_started[kind] = std::move(parameters);
    if (m_results.erase(kind) != 0)
        emit resultChanged(kind);
}

void CResultModel::Store(int kind, TestResult::Value value, ResultSource source,
                         const QByteArray& rawReply, const QVariantMap& ownParameters) {
    const QVariantMap& parameters =
        source == ResultSource::Instrument ? m_started[kind] : ownParameters;
    const TestResult& result =
        m_results[kind] = {std::move(value), QDateTime::currentDateTime(), source, parameters};
    emit resultArrived(kind, result, rawReply);
    emit resultChanged(kind);
}

void CResultModel::ShowAgain(int kind, const TestResult& result) {
    m_results[kind] = result;
    emit resultChanged(kind);
}

std::optional<TestResult> CResultModel::Latest(int kind) const {
    const auto it = m_results.find(kind);
    if (it == m_results.end())
        return std::nullopt;
    return it->second;
}

void CResultModel::Clear() {
    m_results.clear();
    m_started.clear();
}
