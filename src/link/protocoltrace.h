#pragma once
#include <QString>

#include <string>

namespace tarvex {

// The opt-in protocol trace (tarvex --trace FILE, or TARVEX_TRACE=FILE): every frame sent, every
// block read and every stale byte thrown away, one line each with a millisecond time stamp and
// the command's name, in the simulator's log format:
//   [     1.234] -> D0 Connect: AA 55 D0 0D 0A
//   [     1.336] <- D0 Connect: 55 AA D0 FD FA
//   [     2.001] ?? discarded: 55 AA 1A ...
// Off until Open succeeds. The file is created with mode 0600 and never through a symbolic
// link. A trace that cannot be opened or written is told in the message pane
// (StatusNote::TraceFailed, FailureText()) and stays off. Any thread.
class ProtocolTrace {
  public:
    // Starts writing to path (replacing it). False when it cannot be created.
    static bool Open(const std::string& path);
    static void Close();
    static bool IsOpen();
    // The path and cause of the latest failure: "/tmp/trace.log（Permission denied）".
    static QString FailureText();

    static void Sent(unsigned char command, const unsigned char* bytes, int len);
    static void Read(unsigned char command, const unsigned char* bytes, int len);
    static void Discarded(const unsigned char* bytes, int len);

    // The command's operation name ("Connect", "StartTest", ...).
    static const char* CommandName(unsigned char command);
};

} // namespace tarvex
