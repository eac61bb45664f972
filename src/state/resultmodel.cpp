#include "resultmodel.h"

void CResultModel::Store(int kind, TestResult::Value value, ResultSource source) {
    m_results[kind] = {std::move(value), QDateTime::currentDateTime(), source};
    emit resultChanged(kind);
}

std::optional<TestResult> CResultModel::Latest(int kind) const {
    const auto it = m_results.find(kind);
    if (it == m_results.end())
        return std::nullopt;
    return it->second;
}
