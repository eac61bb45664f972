#include "testpage.h"

#include "app/tarvexapp.h"
#include "devicelink.h"
#include "platform/clock.h"
#include "platform/statusnote.h"

bool CTestPage::StartRefused() { return theApp().RefuseDuringUpload(this); }

void CTestPage::RunTest(const std::function<void(CDeviceLink&)>& sendParameters, int pauseMs)
{
    CDeviceLink* link = theApp().m_pLink;
    if (!link)
        return;
    link->m_bStartAcked = 0;
    m_bResultArrived = false;
    if (sendParameters) {
        sendParameters(*link);
        Sleep(pauseMs);
    }
    link->StartTest();
    for (int poll = 0; poll < 2 && !link->m_bStartAcked; ++poll) {
        link->RequestResult();
        Sleep(500);
        link->ReadReply();
    }
    if (!m_bResultArrived)
        tarvex::ShowStatusNote(link->DeviceWasLost() ? tarvex::StatusNote::DeviceLost
                                                     : tarvex::StatusNote::NoReply);
}
