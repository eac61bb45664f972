#include "comport.h"

#include "comname.h"

#include <algorithm>

namespace {
constexpr int kWriteTimeoutMs = 1000;
}

CComPort::~CComPort() {
    Close();
}

int CComPort::Open(int port, int baud) {
    if (m_bOpen)
        return 1;
    m_bDeviceLost = false; // whatever was lost before, the operator has chosen anew
    tarvex::LastOpenFailure() = {};
    m_hPort = tarvex::CurrentSerialOpener()(tarvex::ComDeviceName(port), baud);
    m_openFailure = tarvex::LastOpenFailure();
    if (!m_hPort) {
        if (m_openFailure.cause == tarvex::OpenFailure::None)
            m_openFailure.cause = tarvex::OpenFailure::NoDevice;
        return 0;
    }
    m_bOpen = 1;
    m_nPort = port;
    m_nBaud = baud;
    return 1;
}

int CComPort::ReopenLost() {
    if (m_bOpen || !m_bDeviceLost)
        return 0;
    if (Open(m_nPort, m_nBaud))
        return 1;
    m_bDeviceLost = true;
    return 0;
}

int CComPort::Close() {
    m_hPort.reset();
    m_bOpen = 0;
    m_bDeviceLost = false;
    return 1;
}

bool CComPort::CheckLine() {
    if (m_bOpen && m_hPort->HungUp())
        DeviceLost();
    return m_bOpen != 0;
}

void CComPort::DeviceLost() {
    Close();
    m_bDeviceLost = true;
}

int CComPort::WriteByte(unsigned char byte) {
    if (m_bOpen && m_hPort->WriteByte(byte, kWriteTimeoutMs) < 0)
        DeviceLost();
    return 1;
}

int CComPort::Write(const unsigned char* bytes, int len) {
    if (!m_bOpen)
        return 0;
    for (int i = 0; i < len; ++i)
        WriteByte(bytes[i]);
    return len;
}

int CComPort::PendingIn() {
    if (!m_bOpen)
        return 0;
    const int waiting = m_hPort->Pending();
    if (waiting < 0) {
        DeviceLost();
        return 0;
    }
    return waiting;
}

int CComPort::Read(void* buffer, int limit) {
    const int waiting = PendingIn();
    if (waiting <= 0 || limit <= 0)
        return 0;
    const int n = m_hPort->Read(static_cast<unsigned char*>(buffer), std::min(limit, waiting));
    if (n < 0) {
        DeviceLost();
        return 0;
    }
    return n;
}

int CComPort::ActualBaud() const {
    return m_bOpen ? m_hPort->Baud() : 0;
}
