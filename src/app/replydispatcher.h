#pragma once
#include "replydecoders.h"

#include <optional>

class CMainFrame;
class CTestPage;

// Hands each frame 55 AA code payload of a reply block to its receiver: a result is decoded,
// kept in the result model and shown on its page; lists and records go to the upload; the
// handshake, device information and the end of a test to the main frame. GUI thread only.
class CReplyDispatcher {
  public:
    explicit CReplyDispatcher(CMainFrame& frame);

    // Scans the block and clears the receive buffer afterwards. The scan stops at a 0xD1 frame,
    // and when a handler's command has read a new block over this one (which that read has
    // dispatched itself).
    long Dispatch(tarvex::ReplyBytes block);
    // Handshakes seen since the start.
    int Handshakes() const { return m_handshakes; }

  private:
    void HandleReply(unsigned char code, tarvex::ReplyBytes payload);
    void HandleResult(CTestPage& page, unsigned char code, tarvex::ReplyBytes payload);
    void OnHandshake();
    void OnTestFinished();
    CTestPage* ResultReceiver(unsigned char code) const;

    CMainFrame& m_frame;
    int m_handshakes = 0;
};
