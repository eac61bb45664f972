#pragma once
#include "ctmodel.h"
#include "enginelog.h"
#include "faults.h"
#include "frameparser.h"
#include "linepacer.h"
#include "ptmodel.h"
#include "recordstore.h"

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace sim {

// What the simulated instrument is and how it behaves.
struct EngineOptions {
    // Model code of the 0xE0 reply. 0xAB..0xAE make the program offer only some tests
    // and the engine then refuses the others; the default 0xAF is outside the program's table,
    // so the program keeps all nine tests on and the engine runs every one of them.
    std::uint8_t model = 0xAF;
    std::uint8_t deviceType = 0xA1; // 0xA1 single ratio (reply 0x2A), 0xA2 six taps (0x7A)
    std::uint8_t range = 0xA1;      // 0xA1 2500 V / 1000 A, 0xA2 1000 V / 600 A
    // How long a test runs; below the program's shortest wait after 0xEB (10 s).
    int testDurationMs = 3000;
    int replyDelayMs = 20;     // from the end of a command to the start of its reply
    int baud = 9600;           // pacing of the reply bytes
    int excitationPoints = 30; // points of an excitation result (1..255)
    CtConfig ct;
    PtConfig pt;
    std::vector<FaultRule> faults;
    FaultSettings faultSettings;
};

// The instrument's protocol engine. It takes the bytes the program writes, keeps the state the
// commands set, runs the tests on the physical models of a CT and a PT, and queues the reply
// frames, which arrive on the program's side paced at the line's baud rate.
//
// Replies: 0xD0 the handshake; 0xE0 the device information; 0xEB starts the test of
// the kind last set with 0xEC and answers 55 AA EB FD FA when it has run; 0xF6 answers the result
// of the test of the kind now set, once one has finished (while a test runs, or before any of
// that kind has run, 0xF6 gets no reply); 0xE4/0xE6 the record list; 0xE5/0xE7 a record (numbers
// from 1; an unknown number gets no reply). 0xEC, 0xED..0xF3 and 0xE3 only set state; 0xD1
// disconnects. No command needs the handshake first. 0xEB while a test runs, without a test kind,
// or for a test the model does not offer, is ignored.
//
// Times are milliseconds of any clock that does not go backwards. Thread-safe; the log sink is
// called without the engine's lock held, on the thread that made the call.
class Engine {
  public:
    enum class TestState { Idle, Running, Finished };

    explicit Engine(EngineOptions options = {});

    EngineOptions Options() const;
    void SetBaud(int baud);
    int Baud() const;
    void SetModel(std::uint8_t model);
    void SetDeviceType(std::uint8_t type);
    void SetRange(std::uint8_t range);
    void SetTestDurationMs(int ms);
    void SetReplyDelayMs(int ms);
    void SetExcitationPoints(int points);
    // Replaces the fault rules (and restarts their counts).
    void SetFaults(std::vector<FaultRule> rules);
    void SetFaultSettings(FaultSettings settings);
    void SetRecords(RecordStore records);

    // Bytes written by the program, arrived at nowMs.
    void Receive(const std::uint8_t* data, std::size_t n, std::int64_t nowMs);
    // The reply bytes that have arrived on the program's side by nowMs (each once).
    std::vector<std::uint8_t> TakeDue(std::int64_t nowMs);
    // When the next reply byte will have arrived; -1 when none is on its way.
    std::int64_t NextDueMs() const;
    // The program's port was (re)opened at nowMs: bytes that arrived while it was closed are lost,
    // a partial command frame is forgotten. Replies still on their way keep coming.
    void LineReset(std::int64_t nowMs);

    // Every entry is also passed to the sink, when one is set.
    void SetLogSink(std::function<void(const LogEntry&)> sink);
    std::vector<LogEntry> Log() const; // the latest entries (at most kLogLimit)
    void ClearLog();
    static constexpr std::size_t kLogLimit = 10000;

    bool Connected() const;
    std::uint8_t TestKind() const; // code last sent with 0xEC; 0 before any
    TestState State(std::int64_t nowMs);
    // The payload last received with a command; nullopt before any.
    std::optional<std::vector<std::uint8_t>> LastPayload(std::uint8_t command) const;
    // The three texts of the latest 0xE3 (device number, tester, test site).
    std::array<std::string, 3> Identity() const;
    RecordStore Records() const;

    // Whether a model code offers a test (the program's model table; other codes: all).
    static bool ModelOffers(std::uint8_t model, std::uint8_t kindCode);

  private:
    struct Result {
        std::uint8_t code = 0;
        std::function<std::vector<std::uint8_t>(int extraCount)> encode;
    };
    using Lock = std::unique_lock<std::mutex>;

    void Handle(const CommandFrame& frame, std::int64_t nowUs);
    void StartTest(std::int64_t nowUs);
    void RequestResult(std::int64_t nowUs);
    Result Compute(std::uint8_t kindCode) const;
    std::vector<std::uint8_t> Params(std::uint8_t command) const;
    void Reply(std::uint8_t command, std::uint8_t code,
               const std::function<std::vector<std::uint8_t>(int)>& encode, std::int64_t readyUs,
               std::int64_t nowUs);
    const FaultRule* TakeFault(std::uint8_t code);
    void Update(std::int64_t nowUs);
    std::vector<std::uint8_t> Due(std::int64_t nowUs);
    void Add(LogEntry entry);
    void Note(std::int64_t nowUs, std::string text);
    void Flush(Lock& lock);

    mutable std::mutex m_mutex;
    EngineOptions m_options;
    FrameParser m_parser;
    LinePacer m_pacer;
    RecordStore m_records;
    std::vector<int> m_faultLeft; // per rule: replies it may still spoil (-1: no limit)

    bool m_connected = false;
    std::uint8_t m_testKind = 0;
    std::map<std::uint8_t, std::vector<std::uint8_t>> m_payloads;
    std::array<std::string, 3> m_identity;

    bool m_running = false;
    std::uint8_t m_runningKind = 0;
    std::int64_t m_testEndUs = 0;
    Result m_runningResult;
    std::map<std::uint8_t, Result> m_results; // by test kind code

    std::deque<LogEntry> m_log;
    std::vector<LogEntry> m_unsent; // entries not yet given to the sink
    std::function<void(const LogEntry&)> m_sink;
};

} // namespace sim
