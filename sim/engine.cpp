#include "engine.h"

#include "burdenreplies.h"
#include "commandtable.h"
#include "errorreplies.h"
#include "excitationreply.h"
#include "historyreplies.h"
#include "ratioreplies.h"
#include "resistancereply.h"
#include "statusreplies.h"

#include <algorithm>
#include <cstdio>

namespace sim {

namespace {

int U16At(const std::vector<std::uint8_t>& p, std::size_t at) {
    return at + 1 < p.size() ? (p[at] << 8) | p[at + 1] : 0;
}

int U8At(const std::vector<std::uint8_t>& p, std::size_t at) {
    return at < p.size() ? p[at] : 0;
}

std::string Hex2(std::uint8_t v) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X", v);
    return text;
}

bool HasCount(std::uint8_t code) {
    return code == code::kCtExcitation || code == code::kPtExcitation ||
           (code >= 0xE4 && code <= 0xE7);
}

// The payloads of the program's defaults, used when a test starts before its parameters came.
std::vector<std::uint8_t> DefaultPayload(std::uint8_t command) {
    switch (command) {
    case 0xED:
        return {0x00, 200, 1, 1, 1, 0}; // 200 V, 1 A, line 1, group 1, phase A
    case 0xEE:
        return {0x00, 100, 5}; // 100 A, 5 A
    case 0xEF:
        return {0x03, 0xE8, 0}; // 1000 V, "100"
    case 0xF0:
        return {0x02, 0x58, 5, 1, 0}; // 600 A, 5 A, 1 VA, light load
    case 0xF1:
        return {0x00, 100, 0, 1, 0}; // 10.0 kV, "100", 1 VA, light load
    case 0xF2:
        return {5};
    case 0xF3:
        return {0};
    default:
        return {};
    }
}

} // namespace

Engine::Engine(EngineOptions options)
    : m_options(std::move(options)), m_records(RecordStore::Default()) {
    m_pacer.SetBaud(m_options.baud);
    SetFaults(m_options.faults);
}

EngineOptions Engine::Options() const {
    std::lock_guard lock(m_mutex);
    return m_options;
}

void Engine::SetBaud(int baud) {
    std::lock_guard lock(m_mutex);
    if (baud > 0) {
        m_options.baud = baud;
        m_pacer.SetBaud(baud);
    }
}

int Engine::Baud() const {
    std::lock_guard lock(m_mutex);
    return m_options.baud;
}

void Engine::SetModel(std::uint8_t model) {
    std::lock_guard lock(m_mutex);
    m_options.model = model;
}

void Engine::SetDeviceType(std::uint8_t type) {
    std::lock_guard lock(m_mutex);
    m_options.deviceType = type;
}

void Engine::SetRange(std::uint8_t range) {
    std::lock_guard lock(m_mutex);
    m_options.range = range;
}

void Engine::SetTestDurationMs(int ms) {
    std::lock_guard lock(m_mutex);
    m_options.testDurationMs = std::max(ms, 0);
}

void Engine::SetReplyDelayMs(int ms) {
    std::lock_guard lock(m_mutex);
    m_options.replyDelayMs = std::max(ms, 0);
}

void Engine::SetExcitationPoints(int points) {
    std::lock_guard lock(m_mutex);
    m_options.excitationPoints = std::clamp(points, 1, 255);
}

void Engine::SetFaults(std::vector<FaultRule> rules) {
    std::lock_guard lock(m_mutex);
    m_options.faults = std::move(rules);
    m_faultLeft.clear();
    for (const FaultRule& rule : m_options.faults)
        m_faultLeft.push_back(rule.times > 0 ? rule.times : -1);
}

void Engine::SetFaultSettings(FaultSettings settings) {
    std::lock_guard lock(m_mutex);
    m_options.faultSettings = std::move(settings);
}

void Engine::SetRecords(RecordStore records) {
    std::lock_guard lock(m_mutex);
    m_records = std::move(records);
}

void Engine::SetLogSink(std::function<void(const LogEntry&)> sink) {
    std::lock_guard lock(m_mutex);
    m_sink = std::move(sink);
}

std::vector<LogEntry> Engine::Log() const {
    std::lock_guard lock(m_mutex);
    return {m_log.begin(), m_log.end()};
}

void Engine::ClearLog() {
    std::lock_guard lock(m_mutex);
    m_log.clear();
}

bool Engine::Connected() const {
    std::lock_guard lock(m_mutex);
    return m_connected;
}

std::uint8_t Engine::TestKind() const {
    std::lock_guard lock(m_mutex);
    return m_testKind;
}

Engine::TestState Engine::State(std::int64_t nowMs) {
    Lock lock(m_mutex);
    Update(nowMs * 1000);
    const TestState state = m_running                          ? TestState::Running
                            : m_results.count(m_testKind) != 0 ? TestState::Finished
                                                               : TestState::Idle;
    Flush(lock);
    return state;
}

std::optional<std::vector<std::uint8_t>> Engine::LastPayload(std::uint8_t command) const {
    std::lock_guard lock(m_mutex);
    auto it = m_payloads.find(command);
    if (it == m_payloads.end())
        return std::nullopt;
    return it->second;
}

std::array<std::string, 3> Engine::Identity() const {
    std::lock_guard lock(m_mutex);
    return m_identity;
}

RecordStore Engine::Records() const {
    std::lock_guard lock(m_mutex);
    return m_records;
}

bool Engine::ModelOffers(std::uint8_t model, std::uint8_t kindCode) {
    switch (model) {
    case 0xAB:
    case 0xAE:
        return kindCode == code::kCtExcitation || kindCode == code::kCtRatio;
    case 0xAC:
        return kindCode == code::kCtExcitation || kindCode == code::kCtRatio ||
               kindCode == code::kCtError || kindCode == code::kCtBurden;
    case 0xAD:
        return kindCode == code::kPtExcitation || kindCode == code::kPtRatio ||
               kindCode == code::kPtError || kindCode == code::kPtBurden;
    default:
        return IsTestKind(kindCode);
    }
}

void Engine::Receive(const std::uint8_t* data, std::size_t n, std::int64_t nowMs) {
    Lock lock(m_mutex);
    const std::int64_t nowUs = nowMs * 1000;
    Update(nowUs);
    const std::vector<CommandFrame> frames = m_parser.Feed(data, n, nowMs);
    // Bytes dropped before or between the frames: logged first, as they came first.
    std::vector<std::uint8_t> discarded = m_parser.TakeDiscarded();
    if (!discarded.empty())
        Add({nowMs, LogEntry::Kind::Discarded, 0, "", std::move(discarded), ""});
    for (const CommandFrame& frame : frames) {
        const CommandInfo* info = FindCommand(frame.command);
        Add({nowMs, LogEntry::Kind::Received, frame.command, info ? info->name : "?", frame.bytes,
             ""});
        Handle(frame, nowUs);
    }
    Flush(lock);
}

std::vector<std::uint8_t> Engine::TakeDue(std::int64_t nowMs) {
    Lock lock(m_mutex);
    std::vector<std::uint8_t> due = Due(nowMs * 1000);
    Flush(lock);
    return due;
}

std::int64_t Engine::NextDueMs() const {
    std::lock_guard lock(m_mutex);
    const std::int64_t us = m_pacer.NextDueUs();
    return us < 0 ? -1 : (us + 999) / 1000;
}

void Engine::LineReset(std::int64_t nowMs) {
    Lock lock(m_mutex);
    const std::vector<std::uint8_t> lost = Due(nowMs * 1000);
    if (!lost.empty())
        Note(nowMs * 1000,
             std::to_string(lost.size()) + " reply bytes lost while the port was closed");
    m_parser.Reset();
    m_parser.TakeDiscarded();
    Flush(lock);
}

std::vector<std::uint8_t> Engine::Due(std::int64_t nowUs) {
    Update(nowUs);
    std::vector<Transmission> started;
    std::vector<std::uint8_t> due = m_pacer.TakeDue(nowUs, &started);
    for (Transmission& t : started)
        Add({t.startUs / 1000, LogEntry::Kind::Sent, t.code, ReplyName(t.code), std::move(t.bytes),
             std::move(t.note)});
    return due;
}

void Engine::Update(std::int64_t nowUs) {
    if (m_running && nowUs >= m_testEndUs) {
        m_running = false;
        m_results[m_runningKind] = m_runningResult;
    }
}

std::vector<std::uint8_t> Engine::Params(std::uint8_t command) const {
    auto it = m_payloads.find(command);
    return it != m_payloads.end() ? it->second : DefaultPayload(command);
}

void Engine::Handle(const CommandFrame& frame, std::int64_t nowUs) {
    const std::int64_t readyUs = nowUs + static_cast<std::int64_t>(m_options.replyDelayMs) * 1000;
    const std::uint8_t command = frame.command;
    m_payloads[command] = frame.payload;
    switch (command) {
    case 0xD0:
        m_connected = true;
        Reply(
            command, 0xD0, [](int) { return EncodeHandshake(); }, readyUs, nowUs);
        break;
    case 0xD1:
        m_connected = false;
        Note(nowUs, "disconnected");
        break;
    case 0xE0: {
        const EngineOptions& o = m_options;
        Reply(
            command, 0xE0,
            [m = o.model, t = o.deviceType, r = o.range](int) { return EncodeDeviceInfo(m, t, r); },
            readyUs, nowUs);
        break;
    }
    case 0xE3:
        for (std::size_t field = 0; field < 3; ++field) {
            std::string text;
            for (std::size_t i = 0; i < 10; ++i) {
                const std::uint8_t c = frame.payload[field * 10 + i];
                if (c <= 9)
                    text += static_cast<char>('0' + c);
                else if (c <= 35)
                    text += static_cast<char>('A' + c - 10);
                else if (c != 0x41)
                    text += '?';
            }
            m_identity[field] = text;
        }
        Note(nowUs, "identity: device \"" + m_identity[0] + "\", tester \"" + m_identity[1] +
                        "\", site \"" + m_identity[2] + "\"");
        break;
    case 0xE4:
    case 0xE6: {
        const std::uint8_t code = command;
        std::vector<HistoryRecord> records = command == 0xE4 ? m_records.Ct() : m_records.Pt();
        Reply(
            command, code,
            [code, records](int extra) { return EncodeHistoryList(code, records, extra); }, readyUs,
            nowUs);
        break;
    }
    case 0xE5:
    case 0xE7: {
        const std::uint8_t code = command;
        const std::vector<HistoryRecord>& records =
            command == 0xE5 ? m_records.Ct() : m_records.Pt();
        const int number = U16At(frame.payload, 0);
        if (number < 1 || number > static_cast<int>(records.size())) {
            Note(nowUs, "no record " + std::to_string(number) + ": no reply");
            break;
        }
        HistoryRecord record = records[static_cast<std::size_t>(number - 1)];
        Reply(
            command, code,
            [code, record](int extra) { return EncodeHistoryRecord(code, record, extra); }, readyUs,
            nowUs);
        break;
    }
    case 0xEB:
        StartTest(nowUs);
        break;
    case 0xEC:
        m_testKind = frame.payload.empty() ? 0 : frame.payload[0];
        Note(nowUs, "test kind " + Hex2(m_testKind) + " (" + TestName(m_testKind) + ")");
        break;
    case 0xF6:
        RequestResult(nowUs);
        break;
    default: // parameter commands: state only
        break;
    }
}

void Engine::StartTest(std::int64_t nowUs) {
    if (m_running) {
        Note(nowUs, "a test is running: start ignored");
        return;
    }
    if (!IsTestKind(m_testKind)) {
        Note(nowUs, "no test kind set: start ignored");
        return;
    }
    if (!ModelOffers(m_options.model, m_testKind)) {
        Note(nowUs, "model " + Hex2(m_options.model) + " offers no " + TestName(m_testKind) +
                        " test: start ignored");
        return;
    }
    // The parameters in force now are the test's: later ones belong to the next test.
    m_running = true;
    m_runningKind = m_testKind;
    m_runningResult = Compute(m_testKind);
    m_testEndUs = nowUs + static_cast<std::int64_t>(m_options.testDurationMs) * 1000;
    Note(nowUs, "test " + TestName(m_testKind) + " started, " +
                    std::to_string(m_options.testDurationMs) + " ms");
    Reply(
        0xEB, 0xEB, [](int) { return EncodeTestFinished(); }, m_testEndUs, nowUs);
}

void Engine::RequestResult(std::int64_t nowUs) {
    if (m_running) {
        Note(nowUs, "test still running: no result yet");
        return;
    }
    auto it = m_results.find(m_testKind);
    if (it == m_results.end()) {
        Note(nowUs, "no finished test of kind " + Hex2(m_testKind) + ": no reply");
        return;
    }
    const std::int64_t readyUs = nowUs + static_cast<std::int64_t>(m_options.replyDelayMs) * 1000;
    Reply(0xF6, it->second.code, it->second.encode, readyUs, nowUs);
}

Engine::Result Engine::Compute(std::uint8_t kindCode) const {
    const bool smallRange = m_options.range == 0xA2;
    const double maxVoltage = smallRange ? 1000 : 2500;
    const double maxCurrent = smallRange ? 600 : 1000;
    const CtModel ct(m_options.ct);
    const PtModel pt(m_options.pt);
    Result result;
    result.code = kindCode;
    switch (kindCode) {
    case code::kCtExcitation:
    case code::kPtExcitation: {
        const std::vector<std::uint8_t> p = Params(0xED);
        const double voltage = std::min<double>(U16At(p, 0), maxVoltage);
        const double current = U8At(p, 2);
        const ExcitationCurve curve =
            kindCode == code::kCtExcitation ? ct.Excitation() : pt.Excitation();
        const ExcitationResult measured =
            curve.Measure(voltage, current, m_options.excitationPoints);
        result.encode = [kindCode, measured](int extra) {
            return EncodeExcitationReply(kindCode, measured, extra);
        };
        break;
    }
    case code::kCtRatio: {
        const std::vector<std::uint8_t> p = Params(0xEE);
        const double current = std::min<double>(U16At(p, 0), maxCurrent);
        if (m_options.deviceType == 0xA2) {
            const CtTapReading reading = ct.Taps(current, U8At(p, 2));
            result.code = code::kCtTaps;
            result.encode = [reading](int) { return EncodeCtTapReply(reading); };
        } else {
            const CtRatioReading reading = ct.Ratio(current, U8At(p, 2));
            result.encode = [reading](int) { return EncodeCtRatioReply(reading); };
        }
        break;
    }
    case code::kCtError: {
        const std::vector<std::uint8_t> p = Params(0xF0);
        const CtErrorReading reading =
            ct.Errors(U16At(p, 0), U8At(p, 2), U8At(p, 3), U8At(p, 4) == 1);
        result.encode = [reading](int) { return EncodeCtErrorReply(reading); };
        break;
    }
    case code::kCtBurden: {
        const double ohm = ct.Burden();
        result.encode = [ohm](int) { return EncodeCtBurdenReply(ohm); };
        break;
    }
    case code::kPtRatio: {
        const std::vector<std::uint8_t> p = Params(0xEF);
        const double voltage = std::min<double>(U16At(p, 0), maxVoltage);
        const PtRatioReading reading = pt.Ratio(voltage, U8At(p, 2));
        result.encode = [reading](int) { return EncodePtRatioReply(reading); };
        break;
    }
    case code::kPtError: {
        const std::vector<std::uint8_t> p = Params(0xF1);
        const PtErrorReading reading =
            pt.Errors(U16At(p, 0) / 10.0, U8At(p, 2), U8At(p, 3), U8At(p, 4) == 1);
        result.encode = [reading](int) { return EncodePtErrorReply(reading); };
        break;
    }
    case code::kPtBurden: {
        const double va = pt.Burden(U8At(Params(0xF3), 0));
        result.encode = [va](int) { return EncodePtBurdenReply(va); };
        break;
    }
    case code::kResistance: {
        const ResistanceReading reading = ResistanceReadingOf(m_options.ct.windingResistance);
        result.encode = [reading](int) { return EncodeResistanceReply(reading); };
        break;
    }
    default:
        break;
    }
    return result;
}

const FaultRule* Engine::TakeFault(std::uint8_t code) {
    for (std::size_t i = 0; i < m_options.faults.size(); ++i) {
        const FaultRule& rule = m_options.faults[i];
        if (rule.fault == Fault::None || m_faultLeft[i] == 0)
            continue;
        if (!rule.codes.empty() && rule.codes.count(code) == 0)
            continue;
        if (rule.fault == Fault::CountOverrun && !HasCount(code))
            continue;
        if (m_faultLeft[i] > 0)
            --m_faultLeft[i];
        return &rule;
    }
    return nullptr;
}

void Engine::Reply(std::uint8_t command, std::uint8_t code,
                   const std::function<std::vector<std::uint8_t>(int)>& encode,
                   std::int64_t readyUs, std::int64_t nowUs) {
    const FaultSettings& s = m_options.faultSettings;
    const FaultRule* rule = TakeFault(code);
    const Fault fault = rule ? rule->fault : Fault::None;
    Transmission t;
    t.code = code;
    t.readyUs = readyUs;
    t.bytes = encode(fault == Fault::CountOverrun ? std::max(s.countOverrun, 1) : 0);
    switch (fault) {
    case Fault::NoReply:
        Note(nowUs, ReplyName(code) + " withheld (fault no-reply)");
        return;
    case Fault::LateReply: {
        const std::int64_t waitMs = ProgramWaitMs(command, m_testKind) + s.lateMarginMs;
        t.readyUs = std::max(readyUs, nowUs + waitMs * 1000);
        break;
    }
    case Fault::CutShort:
        t.bytes.resize(std::max<std::size_t>(t.bytes.size() / 2, 1));
        break;
    case Fault::Split:
        t.splitAt = t.bytes.size() / 2;
        t.gapUs = static_cast<std::int64_t>(s.splitGapMs) * 1000;
        break;
    case Fault::Noise:
        t.bytes.insert(t.bytes.begin(), s.noise.begin(), s.noise.end());
        break;
    case Fault::WrongTrailer:
        std::swap(t.bytes[t.bytes.size() - 2], t.bytes[t.bytes.size() - 1]);
        break;
    case Fault::CountOverrun:
    case Fault::None:
        break;
    }
    if (fault != Fault::None)
        t.note = std::string("fault ") + FaultName(fault);
    m_pacer.Queue(std::move(t));
}

void Engine::Add(LogEntry entry) {
    m_log.push_back(entry);
    while (m_log.size() > kLogLimit)
        m_log.pop_front();
    if (m_sink)
        m_unsent.push_back(std::move(entry));
}

void Engine::Note(std::int64_t nowUs, std::string text) {
    Add({nowUs / 1000, LogEntry::Kind::Note, 0, "", {}, std::move(text)});
}

void Engine::Flush(Lock& lock) {
    if (m_unsent.empty())
        return;
    std::vector<LogEntry> entries;
    entries.swap(m_unsent);
    const auto sink = m_sink;
    lock.unlock();
    if (sink)
        for (const LogEntry& entry : entries)
            sink(entry);
}

} // namespace sim
