#pragma once

// The receiver of complete reply blocks (the main frame). OnDeviceReply runs on the thread
// that owns the target; CDeviceLink marshals the call there and waits for it to finish.
class CReplyTarget {
  public:
    virtual ~CReplyTarget() = default;
    virtual long OnDeviceReply() = 0;
};
