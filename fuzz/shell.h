#pragma once
// The program as the fuzz targets drive it: the real application, its main frame with all nine
// pages and the history dialog, COM1 opened on a scripted instrument that answers every command
// that reads a reply with the next reply an input gives; everything on the virtual clock,
// message boxes and file dialogs answered at once. One program per process, put back to its
// start before every input: building it takes far longer than most inputs run.
#include "app/mainfrm.h"
#include "app/tarvexapp.h"
#include "check.h"
#include "devicelink.h"
#include "platform/filedialogrecorder.h"
#include "platform/msgboxrecorder.h"
#include "platform/virtualclock.h"
#include "replytarget.h"
#include "support/scripteddevice.h"
#include "widgetsnapshot.h"

#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <set>
#include <vector>

namespace fuzz {

using Bytes = std::vector<unsigned char>;

// One reply of the instrument and how it comes down the line, chosen by its timing byte:
// bits 0-2 the delay after the command (0, 0, 0, 0, 40, 120, 600 or 40000 ms), bits 3-5 the
// size of the pieces it comes in (whole, whole, whole, 1, 7, 64, 512 or 4096 bytes), bit 6 the
// time between pieces (3 ms: still arriving, or 70 ms: a gap longer than the link waits for).
struct Reply {
    Bytes bytes;
    unsigned char timing = 0;
};

// Puts a reply on the line from now on, after what is still on its way.
void Arrive(ScriptedDevice::Shared& line, const Reply& reply);

// The instrument: records what the program writes and, for every command frame that reads a
// reply (D0, E0, E4 to E7, EB, F6), sends the next reply of the queue, if any.
class AnsweringDevice : public ScriptedDevice {
  public:
    AnsweringDevice(std::shared_ptr<Shared> line, std::deque<Reply>& replies, int baud);
    int WriteByte(unsigned char byte, int timeoutMs) override;

  private:
    std::shared_ptr<Shared> m_line;
    std::deque<Reply>& m_replies;
    Bytes m_frame;
};

// g_RxBuf and g_RxLen as every read must leave them: 0 <= g_RxLen <= 8191, a zero after the
// bytes.
void CheckReplyBuffer();

// The reply codes of the frames of a block, walked frame after frame as the instrument builds
// it: each payload as long as its layout claims (a claim past the block ends the walk), so codes
// inside a payload are data. Unlike the dispatcher it keeps no state and reads every frame.
std::set<unsigned char> FrameCodes(const unsigned char* block, int length);

// Stands between the link and the main frame: every block handed over must be whole (at least
// five bytes, ending FD FA) and within the buffer. Collects the codes of the frames handed over.
class CheckedTarget : public CReplyTarget {
  public:
    long OnDeviceReply(std::span<const unsigned char> block) override;
    CReplyTarget* inner = nullptr;
    int blocks = 0;
    std::set<unsigned char> codes;
};

// The program of this process.
class Shell {
  public:
    // The program, built the first time.
    static Shell& Instance();
    Shell(const Shell&) = delete;
    Shell& operator=(const Shell&) = delete;

    // The search command with the CT or PT record list chosen in its dialog.
    void Search(bool pt);
    // Runs the events posted so far.
    static void Settle();
    // Runs a window's own painting (the charts the program draws) into an image.
    static void Paint(QWidget* window);
    // Lets the single-shot timers the commands left running in the main window (the wait
    // display lingering after a wait) fire now instead of at a moment of real time.
    void FinishPendingTimers();
    // What the main window and its dialogs show: every text, choice and list row of their named
    // widgets, with the names, the time pane aside. Equal for two runs that show the same.
    QStringList ShownTexts() const;

    std::unique_ptr<tarvex::VirtualClock> clock;
    tarvex::MessageBoxRecorder boxes;
    tarvex::FileDialogRecorder files;
    std::shared_ptr<ScriptedDevice::Shared> line = std::make_shared<ScriptedDevice::Shared>();
    std::deque<Reply> replies;
    CheckedTarget checked;
    std::unique_ptr<CTarvexApp> app;
    CMainFrame* frame = nullptr;
    CDeviceLink* link = nullptr;

    // Puts the program back as Shell() left it.
    void Reset();
    // The archive holds every result of the input from the instrument once, with the values the
    // model was handed, and every record uploaded once (per upload), as the record list holds it.
    // Empties the archive for the next input.
    void CheckArchive();

  private:
    Shell();
    void ResetLine();
    void ResetTree();
    void ResetPages();
    const CRecordArray& Records(int kind) const;
    std::size_t FilledRecords() const;

    // The results from the instrument the model was handed: kind, value as archived, reply.
    struct Arrived {
        int kind;
        QByteArray value;
        QByteArray rawReply;
    };
    std::vector<Arrived> m_arrived;
    std::unique_ptr<WidgetSnapshot> m_start;
    int m_port = 1;
    int m_baud = 9600;
    int m_startTab = 0;
    int m_startSingleMode = 1;
};

// The program for one input. When the input is done, it is put back to its start: what the input
// made is freed within the input, so that libFuzzer takes nothing it kept for a leak, and the
// next input starts where the first did.
class Input {
  public:
    Input() = default;
    ~Input();
    Input(const Input&) = delete;
    Input& operator=(const Input&) = delete;

    // Called with the program as the input left it, before it is put back (the order check).
    static inline void (*inspect)(const Shell&) = nullptr;

    Shell& shell = Shell::Instance();
};

} // namespace fuzz
