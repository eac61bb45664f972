#include "testpage.h"

#include "devicelink.h"
#include "platform/clock.h"
#include "platform/statusnote.h"
#include "state/appstate.h"

#include <QComboBox>

#include <algorithm>

bool CTestPage::StartRefused() {
    return theApp().RefuseDuringUpload(this);
}

void CTestPage::RunTest(const std::function<void(CDeviceLink&)>& sendParameters, int pauseMs) {
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

void CTestPage::InitRatedSecondaryBox(int id) {
    SetSelectedIndex(id, -1);
    SetDlgItemText(id, "100");
}

int CTestPage::RatedSecondaryIndex(int id) const {
    const auto* box = qobject_cast<const QComboBox*>(GetDlgItem(id));
    return box ? std::max(box->findText(box->currentText()), 0) : 0;
}
