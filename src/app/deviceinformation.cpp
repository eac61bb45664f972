#include "deviceinformation.h"

#include "pages/ibbdlg.h"
#include "state/appstate.h"

void ApplyDeviceInfo(const tarvex::DeviceInfo& info) {
    CAppState& app = theApp();
    app.m_deviceInfo = info;
    if (info.model)
        app.SetDeviceModel(*info.model);
    if (info.deviceType && app.m_pIBBDlg)
        app.m_pIBBDlg->SetDeviceType(*info.deviceType);
    if (info.range)
        SetTestLimits(*info.range);
}

void SetTestLimits(unsigned char range) {
    CAppState& app = theApp();
    if (range == 0xA1) {
        app.m_nMaxTestCurrent = 1000;
        app.m_nMaxTestVoltage = 2500;
    } else if (range == 0xA2) {
        app.m_nMaxTestCurrent = 600;
        app.m_nMaxTestVoltage = 1000;
    }
}
