#include "resultmodel.h"

void CResultModel::NoteStart(int kind, QVariantMap parameters) {
    m_started[kind] = std::move(parameters);
}

void CResultModel::Store(int kind, TestResult::Value value, ResultSource source) {
    QVariantMap parameters;
    if (source == ResultSource::Instrument)
        parameters = m_started[kind];
    m_results[kind] = {std::move(value), QDateTime::currentDateTime(), source, parameters};
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
