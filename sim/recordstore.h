#pragma once
#include "excitationreply.h"
#include "historyreplies.h"

#include <vector>

namespace sim {

// The excitation records stored in the instrument, CT and PT apart, numbered from 1 in the
// order of the list reply.
class RecordStore {
  public:
    // A handful of realistic records of each kind (4 CT, 3 PT).
    static RecordStore Default();

    std::vector<HistoryRecord>& Ct() { return m_ct; }
    std::vector<HistoryRecord>& Pt() { return m_pt; }
    const std::vector<HistoryRecord>& Ct() const { return m_ct; }
    const std::vector<HistoryRecord>& Pt() const { return m_pt; }

    // The record of an excitation measurement (settings and curve filled; time, numbers and
    // texts left for the caller). The knee goes in the record's units: a CT record holds
    // 25 × V and 600 × A, a PT record whole V and A.
    static HistoryRecord CtRecord(const ExcitationResult& result, int testVoltage, int testCurrent);
    static HistoryRecord PtRecord(const ExcitationResult& result, int testVoltage, int testCurrent);

  private:
    std::vector<HistoryRecord> m_ct;
    std::vector<HistoryRecord> m_pt;
};

} // namespace sim
