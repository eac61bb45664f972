// Blocks of any length (up to 20 KB, more than the 8191 bytes one read holds) arriving at once or
// in pieces. After every read g_RxBuf and g_RxLen stay in bounds, and only whole blocks (ending
// FD FA) reach the main frame's dispatcher.
//
// The input: byte 0 the timing of the bytes (see fuzz::Reply), byte 1 who reads them first (the
// link on its own, a connect, the CT record list, a result request), the rest the bytes. What
// the first read leaves on the line is read by the link on its own.
#include "shell.h"

#include <cstdint>

namespace {

constexpr int kMaxReads = 64;
constexpr int kBetweenReadsMs = 100;

void ReadTheRest(fuzz::Shell& shell) {
    for (int i = 0; i < kMaxReads && !shell.line->inbound.empty(); ++i) {
        shell.link->ReadReply();
        fuzz::CheckReplyBuffer();
        shell.clock->Advance(kBetweenReadsMs);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const fuzz::Input input;
    fuzz::Shell& shell = input.shell;
    const fuzz::Reply block{fuzz::Bytes(data + 2, data + size), data[0]};
    switch (data[1] % 4) {
    case 0:
        fuzz::Arrive(*shell.line, block);
        break;
    case 1:
        shell.replies.push_back(block);
        shell.frame->OnConnect();
        break;
    case 2:
        shell.link->m_bConnected = 1;
        shell.replies.push_back(block);
        shell.Search(false);
        break;
    case 3:
        shell.link->m_bConnected = 1;
        shell.replies.push_back(block);
        shell.link->RequestResult();
        break;
    }
    fuzz::CheckReplyBuffer();
    shell.replies.clear();
    ReadTheRest(shell);
    return 0;
}
