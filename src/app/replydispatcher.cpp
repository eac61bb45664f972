#include "replydispatcher.h"

#include "deviceinformation.h"
#include "devicelink.h"
#include "history/searchdlg.h"
#include "mainfrm.h"
#include "pages/testpage.h"
#include "platform/msgbox.h"
#include "platform/updatebatch.h"
#include "replylayout.h"
#include "rxbuffer.h"
#include "state/appstate.h"
#include "state/resultdecoding.h"
#include "state/resultrecorder.h"
#include "testkinds.h"

#include <algorithm>
#include <cstring>

namespace {

// Where the payloads of the block end: before its FD FA trailer, so that a reply cut short
// never has the trailer read as data.
int PayloadEnd(tarvex::ReplyBytes block) {
    const int size = static_cast<int>(block.size());
    return tarvex::EndsWithTrailer(block.data(), size) ? size - 2 : size;
}

int ReadCount() {
    return theApp().m_pLink ? theApp().m_pLink->m_nReadCount : 0;
}

void ClearReplyBuffer() {
    std::memset(g_RxBuf, 0, sizeof g_RxBuf);
    g_RxLen = 0;
}

} // namespace

CReplyDispatcher::CReplyDispatcher(CMainFrame& frame) : m_frame(frame) {
    ClearReplyBuffer();
}

long CReplyDispatcher::Dispatch(tarvex::ReplyBytes block) {
    // The pages fill their lists once, when the whole block has been handed out.
    const tarvex::UpdateBatch batch;
    const int readsBefore = ReadCount();
    const int end = PayloadEnd(block);
    std::size_t i = 0;
    while (i + 5 <= block.size()) {
        if (block[i] != 0x55 || block[i + 1] != 0xAA) {
            ++i;
            continue;
        }
        const unsigned char code = block[i + 2];
        if (code == 0xD1)
            return 0; // ends the dispatch as it stands
        // A payload is data: a measured value that happens to hold 55 AA is never a reply.
        const unsigned char* payload = block.data() + i + 3;
        const int length =
            std::max(tarvex::ReplyPayloadLength(code, payload, end - static_cast<int>(i + 3)), 0);
        HandleReply(code, {payload, static_cast<std::size_t>(length)});
        // What the buffer holds now is another block, which may lack its trailer: never read on.
        if (ReadCount() != readsBefore)
            break;
        i += 3 + static_cast<std::size_t>(length);
    }
    ClearReplyBuffer();
    return 0;
}

// The page whose result a reply code carries; nullptr for every other code.
CTestPage* CReplyDispatcher::ResultReceiver(unsigned char code) const {
    return m_frame.TestPage(tarvex::TestKindOfReply(code));
}

void CReplyDispatcher::HandleReply(unsigned char code, tarvex::ReplyBytes payload) {
    if (CTestPage* page = ResultReceiver(code)) {
        page->m_bResultArrived = true;
        HandleResult(*page, code, payload);
        return;
    }
    CSearchDlg* search = theApp().m_pSearchDlg;
    switch (code) {
    case 0xE4:
    case 0xE6:
        if (search)
            search->OnRecordList(tarvex::DecodeHistoryList(payload));
        break;
    case 0xE5:
    case 0xE7:
        if (search)
            search->OnRecordData(tarvex::DecodeHistoryRecord(payload, search->RecordKind()),
                                 ReplyFrame(code, payload));
        break;
    case 0xE0:
        // Only the answer to its own request: the limits it sets never come from elsewhere.
        if (theApp().m_pLink && theApp().m_pLink->ReplyCommand() == 0xE0)
            ApplyDeviceInfo(tarvex::DecodeDeviceInfo(payload));
        break;
    case 0xD0:
        OnHandshake();
        break;
    case 0xEB:
        OnTestFinished();
        break;
    default:
        break; // codes nobody receives are skipped
    }
}

// Keeps a result from the instrument (and the bytes it came in) as the latest of its kind and
// hands it to its page. A result whose decoder found too few bytes reaches neither.
void CReplyDispatcher::HandleResult(CTestPage& page, unsigned char code,
                                    tarvex::ReplyBytes payload) {
    const std::optional<TestResult::Value> value = DecodeResult(code, payload);
    if (!value)
        return;
    theApp().m_results.Store(tarvex::TestKindOfReply(code), *value, ResultSource::Instrument,
                             ReplyFrame(code, payload));
    page.ShowResult(*value);
}

void CReplyDispatcher::OnHandshake() {
    theApp().m_pLink->m_bConnected = 1;
    ++m_handshakes;
    MessageBox(&m_frame, "连接设备成功", "系统提示", MB_OK | MB_ICONINFORMATION);
    // The instrument now on the line may be another one: results are recorded with what it says
    // of itself in its answer to the request below, never with what an earlier one said.
    theApp().m_deviceInfo = {};
    theApp().m_pLink->RequestDeviceInfo();
    m_frame.ReadyForTests();
}

void CReplyDispatcher::OnTestFinished() {
    CDeviceLink* link = theApp().m_pLink;
    link->RequestResult();
    link->m_bStartAcked = 1;
}
