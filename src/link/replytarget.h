#pragma once
#include <span>

// The receiver of complete reply blocks (the main frame). OnDeviceReply runs on the thread
// that owns the target; CDeviceLink marshals the call there and waits for it to finish. The
// block is the link's receive buffer: a command sent while handling it reads over it.
class CReplyTarget {
  public:
    virtual ~CReplyTarget() = default;
    virtual long OnDeviceReply(std::span<const unsigned char> block) = 0;
};
