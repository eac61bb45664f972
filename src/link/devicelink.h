#pragma once
#include "comport.h"
#include "replytarget.h"

#include <QString>

class QObject;

// The instrument's command set over the serial port. Every command writes one frame
// AA 55 cmd payload 0D 0A, then, for most commands, sleeps its fixed time and reads whatever
// reply bytes have arrived (ReadReply), which hands a complete block to the notify target.
// A guarded command does nothing at all until the handshake has set m_bConnected.
// Thread: the GUI thread, or the upload worker while it holds the link; never both at once.
class CDeviceLink : public CComPort {
  public:
    // target receives reply blocks; context is the object whose thread runs the target (null:
    // always call directly).
    explicit CDeviceLink(CReplyTarget* target, QObject* context = nullptr);
    ~CDeviceLink() override;

    int Open(int port, int baud);
    int IsOpen() const { return IsPortOpen() ? 1 : 0; }
    void ClosePort() { Close(); }
    // Bytes handed to the port; 0 when it is closed.
    int SendFrame(const unsigned char* bytes, int len);

    void Connect();           // 0xD0, 100 ms, read
    void Disconnect();        // 0xD1, then close the port
    void RequestDeviceInfo(); // 0xE0, 300 ms, read
    void SendIdentity(const QString& text1, const QString& text2, const QString& text3); // 0xE3
    // 0xE4 / 0xE6, 2000 ms, read; the bytes read, -1 when not connected.
    int RequestHistoryList(int kind);
    void RequestHistoryRecord(int kind, unsigned short number);   // 0xE5 / 0xE7, 3000 ms, read
    void StartTest();                                             // 0xEB, wait of the test kind
    void SetTestKind(int kind);                                   // 0xEC
    void SendExcitationParams(int a, int b, int c, int d, int e); // 0xED
    void SendCTRatioParams(int a, int b);                         // 0xEE
    void SendPTRatioParams(int a, int b);                         // 0xEF
    void SendCTErrorParams(int a, int b, int c, int d);           // 0xF0
    void SendPTErrorParams(int a, int b, int c, int d);           // 0xF1
    void SendCTBurdenParams(int a);                               // 0xF2
    void SendPTBurdenParams(int a);                               // 0xF3
    void RequestResult();                                         // 0xF6, 500 ms, read

    // Reads the waiting reply bytes into g_RxBuf (at most 8191; the rest stays for the next
    // read). A block still arriving is read to its end while bytes keep coming. When the block
    // ends with FD FA the target handles it before this returns. 1 when at least 5 bytes were
    // read, else 0.
    int ReadReply();

    // The first character of an identity text that the instrument cannot take (only digits
    // and Latin letters, in either case, of the first ten), empty when there is none; and the
    // operator's message about it.
    static QString UnsupportedIdentityChar(const QString& text);
    static QString IdentityRefusal(const QString& unsupported);

    // The code byte of a test kind (0x01 for a value outside 0..8) and the wait after 0xEB.
    static unsigned char TestKindCode(int kind);
    static int StartWaitMs(int kind);

    CReplyTarget* m_pNotifyWnd;
    int m_nTestKind = -1;
    int m_bConnected = 0;
    int m_bStartAcked = 0;
    // Calls of ReadReply so far: a dispatcher sees from it that a nested command has replaced
    // g_RxBuf under its scan.
    int m_nReadCount = 0;

  private:
    void Send(unsigned char command, std::initializer_list<int> payload = {});
    // Every command that reads a reply first throws away what is still waiting from an earlier
    // exchange, so a late reply is never taken as the answer to this one.
    // The bytes its read found (a block handed to the target counts too).
    int SendAndRead(unsigned char command, std::initializer_list<int> payload, int waitMs);
    void DiscardStale();
    int ReadRestOfBlock(int held);
    void NotifyReply();

    QObject* m_pContext;
    int m_nReplyCommand = 0; // the command whose reply ReadReply reads (for the trace)
    int m_nLastReadBytes = 0;
};
