#pragma once
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace sim {

// One reply on its way to the program.
struct Transmission {
    std::int64_t readyUs = 0;        // the earliest time its first byte may start
    std::vector<std::uint8_t> bytes; // what goes on the line
    std::size_t splitAt = 0;         // > 0: a gap follows bytes[0..splitAt)
    std::int64_t gapUs = 0;
    std::uint8_t code = 0;    // reply code (for the log)
    std::string note;         // fault applied (for the log)
    std::int64_t startUs = 0; // set when it starts
};

// The serial line from the instrument to the program: replies leave one after the other, byte
// by byte at the baud rate (10 bit times a byte: 8 data bits, start and stop), so a byte counts
// as arrived when its last bit has. A reply waits until its ready time and until the line is free.
// Times in microseconds; they must not go backwards. Not thread-safe (the engine locks).
class LinePacer {
  public:
    void SetBaud(int baud);
    int Baud() const { return m_baud; }
    // Microseconds one byte takes on the line.
    double ByteUs() const { return 10e6 / m_baud; }

    void Queue(Transmission transmission);

    // The bytes that have fully arrived by nowUs, in order. Transmissions that started on the
    // way are appended to *started (when given).
    std::vector<std::uint8_t> TakeDue(std::int64_t nowUs,
                                      std::vector<Transmission>* started = nullptr);

    // When the next byte will have arrived; -1 when nothing is on its way.
    std::int64_t NextDueUs() const;

    bool Idle() const { return m_waiting.empty() && m_scheduled.empty(); }
    void Clear();

  private:
    struct TimedByte {
        std::int64_t dueUs;
        std::uint8_t byte;
    };
    // Starts the waiting transmissions whose start time is not after nowUs.
    void Start(std::int64_t nowUs, std::vector<Transmission>* started);
    std::size_t Earliest() const;

    int m_baud = 9600;
    std::vector<Transmission> m_waiting;
    std::deque<TimedByte> m_scheduled;
    std::int64_t m_lineFreeUs = 0;
};

} // namespace sim
