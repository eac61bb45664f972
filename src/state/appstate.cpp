#include "appstate.h"

#include "devicelink.h"
#include "platform/msgbox.h"
#include "uploadstatus.h"

#include <algorithm>
#include <iterator>

namespace {
CAppState* g_current = nullptr;
}

CAppState& theApp() {
    return *g_current;
}

CAppState::CAppState() {
    g_current = this;
}

CAppState::~CAppState() {
    delete m_pLink;
    if (g_current == this)
        g_current = nullptr;
}

void CAppState::SetDeviceModel(unsigned char code) {
    int first = -1, last = -1; // the supported range of test kinds
    switch (code) {
    case 0xAB:
    case 0xAE:
        first = 0;
        last = 1;
        break;
    case 0xAC:
        first = 0;
        last = 3;
        break;
    case 0xAD:
        first = 4;
        last = 7;
        break;
    default:
        return;
    }
    for (int kind = 0; kind < 9; ++kind)
        m_bSupported[kind] = (kind >= first && kind <= last) ? 1 : 0;
}

bool CAppState::IsUploading() const {
    return m_pUpload && m_pUpload->IsUploading();
}

bool CAppState::RefuseDuringUpload(QWidget* owner) {
    if (!IsUploading())
        return false;
    MessageBox(owner, "正在上传历史数据，请稍候", "系统提示", MB_OK | MB_ICONINFORMATION);
    return true;
}

void CAppState::SetTestKind(int kind) {
    if (IsUploading()) {
        m_nDeferredTestKind = kind;
        return;
    }
    if (m_pLink)
        m_pLink->SetTestKind(kind);
}

void CAppState::OnUploadEnded() {
    const int kind = m_nDeferredTestKind;
    m_nDeferredTestKind = -1;
    if (kind >= 0 && m_pLink)
        m_pLink->SetTestKind(kind);
}

void CAppState::ResetData() {
    m_CTRecords.clear();
    m_PTRecords.clear();
    m_strReport.clear();
    m_nMaxTestVoltage = kStartMaxTestVoltage;
    m_nMaxTestCurrent = kStartMaxTestCurrent;
    std::fill(std::begin(m_bSupported), std::end(m_bSupported), 1);
    m_results.Clear();
    m_deviceInfo = {};
    m_nDeferredTestKind = -1;
}
