#pragma once
#include <string>

namespace sim {

// The simulator's end of a pseudo-terminal: the master, raw and non-blocking, and the slave's
// path, which the program opens (through a symbolic link in its port folder). The simulator keeps
// no slave open itself: while the program has none open the master reports hang-up (reads fail
// with EIO), and whatever is written then would wait in the slave for the next opener, so the
// caller drops replies instead (bytes on a line nobody listens to are lost). The master stays
// usable across any number of closes and reopens of the slave.
class PtyPort {
  public:
    PtyPort() = default;
    ~PtyPort(); // removes the link (if still ours) and closes the master
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;

    // openpty(3); the line raw (set through the master, so it holds for every later opener of
    // the slave: no echo, no XON/XOFF, 8 bits). false and *error on failure.
    bool Open(std::string* error);
    int Master() const { return m_master; }
    const std::string& SlavePath() const { return m_slavePath; }

    // Makes linkPath a symbolic link to the slave, creating its folders and replacing an
    // existing symbolic link (a stale one from an earlier run); refuses to replace anything else.
    bool Link(const std::string& linkPath, std::string* error);
    // Removes the link if it still points at this slave.
    void Unlink();
    const std::string& LinkPath() const { return m_linkPath; }

    // Whether a program has the slave open now (the master reports no hang-up).
    bool PeerOpen() const;
    // The baud rate the program set on the slave (0 when unknown).
    int LineBaud() const;

  private:
    int m_master = -1;
    std::string m_slavePath;
    std::string m_linkPath;
};

} // namespace sim
