#include "replydispatcher.h"

#include "deviceinformation.h"
#include "devicelink.h"
#include "history/searchdlg.h"
#include "mainfrm.h"
#include "pages/dzdlg.h"
#include "pages/ibbdlg.h"
#include "pages/ifhdlg.h"
#include "pages/ijbdlg.h"
#include "pages/ivadlg.h"
#include "pages/ubbdlg.h"
#include "pages/ufhdlg.h"
#include "pages/ujbdlg.h"
#include "pages/uvadlg.h"
#include "platform/msgbox.h"
#include "platform/updatebatch.h"
#include "replylayout.h"
#include "rxbuffer.h"
#include "state/appstate.h"
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

// Keeps a result from the instrument (and the bytes it came in) as the latest of its kind and
// hands it to its page.
template <typename Value, typename Page, typename Show>
void Deliver(unsigned char code, tarvex::ReplyBytes payload, const Value& value, Page* page,
             Show show) {
    theApp().m_results.Store(tarvex::TestKindOfReply(code), value, ResultSource::Instrument,
                             ReplyFrame(code, payload));
    if (page)
        (page->*show)(value);
}

// A result whose decoder found too few bytes reaches neither the model nor the page.
template <typename Value, typename Page, typename Show>
void Deliver(unsigned char code, tarvex::ReplyBytes payload, const std::optional<Value>& value,
             Page* page, Show show) {
    if (value)
        Deliver(code, payload, *value, page, show);
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
        HandleResult(code, payload);
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

void CReplyDispatcher::HandleResult(unsigned char code, tarvex::ReplyBytes payload) {
    using namespace tarvex;
    CAppState& app = theApp();
    switch (code) {
    case 0x1A:
    case 0x1F: {
        CExcitationPage* page = code == 0x1A ? static_cast<CExcitationPage*>(app.m_pIVADlg)
                                             : static_cast<CExcitationPage*>(app.m_pUVADlg);
        Deliver(code, payload, DecodeExcitationReply(payload), page,
                &CExcitationPage::ShowExcitationResult);
        break;
    }
    case 0x2A:
        Deliver(code, payload, DecodeCtRatioReply(payload), app.m_pIBBDlg,
                &CIBBDlg::ShowRatioResult);
        break;
    case 0x7A:
        Deliver(code, payload, DecodeCtTapReply(payload), app.m_pIBBDlg, &CIBBDlg::ShowTapResults);
        break;
    case 0x2F:
        Deliver(code, payload, DecodePtRatioReply(payload), app.m_pUBBDlg,
                &CUBBDlg::ShowRatioResult);
        break;
    case 0x3A:
        Deliver(code, payload, DecodeCtErrorReply(payload), app.m_pIJBDlg,
                &CErrorPage::ShowErrorResult);
        break;
    case 0x3F:
        Deliver(code, payload, DecodePtErrorReply(payload), app.m_pUJBDlg,
                &CErrorPage::ShowErrorResult);
        break;
    case 0x4A:
    case 0x4F:
        DeliverBurden(code, payload, DecodeBurdenReply(payload));
        break;
    case 0x6A:
        Deliver(code, payload, DecodeResistanceReply(payload), app.m_pDZDlg,
                &CDZDlg::ShowResistanceResult);
        break;
    default:
        break;
    }
}

void CReplyDispatcher::DeliverBurden(unsigned char code, tarvex::ReplyBytes payload,
                                     std::optional<double> burden) {
    if (!burden)
        return;
    CAppState& app = theApp();
    app.m_results.Store(tarvex::TestKindOfReply(code), BurdenResult{*burden},
                        ResultSource::Instrument, ReplyFrame(code, payload));
    CBurdenPage* page = code == 0x4A ? static_cast<CBurdenPage*>(app.m_pIFHDlg)
                                     : static_cast<CBurdenPage*>(app.m_pUFHDlg);
    if (page)
        page->ShowBurdenResult(*burden);
}

void CReplyDispatcher::OnHandshake() {
    theApp().m_pLink->m_bConnected = 1;
    ++m_handshakes;
    MessageBox(&m_frame, "连接设备成功", "系统提示", MB_OK | MB_ICONINFORMATION);
    theApp().m_pLink->RequestDeviceInfo();
    m_frame.ReadyForTests();
}

void CReplyDispatcher::OnTestFinished() {
    CDeviceLink* link = theApp().m_pLink;
    link->RequestResult();
    link->m_bStartAcked = 1;
}
