#pragma once
#include "platform/clock.h"
#include "platform/statusnote.h"

#include <QObject>
#include <QString>

#include <functional>

class QLabel;
class QProgressBar;
class QStatusBar;
class QTimer;
class QWidget;

// The status bar's panes: the message pane ("就绪", a note, or the wait in progress with its
// bar), the connection pane, the ticking clock and the keyboard indicators. It is the board of
// the status notes and the observer of the waits. GUI thread only.
class CStatusPanes : public QObject, public tarvex::WaitObserver, public tarvex::StatusNoteBoard {
  public:
    static constexpr const char* kNoDevice = "没有连接设备";
    static constexpr const char* kReady = "就绪";
    static constexpr const char* kCloseRefused = "测试进行中，请等待测试结束";

    // Fills bar; idleText gives what the message pane says when there is nothing else to say.
    CStatusPanes(QStatusBar* bar, std::function<QString()> idleText);

    void SetConnPaneText(const QString& text);
    QString ConnPaneText() const;
    QString TimePaneText() const;
    QString MessagePaneText() const;
    // The note of a save names the file saved.
    void SetSavedPath(const QString& path) { m_savedPath = path; }
    // Shows the note now (again, when the text it stands for has changed) unless a wait is on show.
    void ShowStatusNote(tarvex::StatusNote note) override;
    void RefreshNote() { ShowStatusNote(m_note); }
    // "测试进行中，请等待测试结束" for a while, or until the wait ends.
    void TellCloseRefused();

  private:
    void WaitStarted(int totalMs) override;
    void WaitProgress(int leftMs) override;
    void WaitEnded() override;
    void HideWait();
    void ShowNoteText();
    // The message pane's text in red and bold (a lost device) or as usual.
    void EmphasizeNote(bool alarm);
    void Tick();

    QStatusBar* m_bar;
    std::function<QString()> m_idleText;
    QWidget* m_messagePane = nullptr;
    QLabel* m_messageText = nullptr;
    QProgressBar* m_waitBar = nullptr;
    QTimer* m_waitHide = nullptr;
    QLabel* m_connPane = nullptr;
    QLabel* m_timePane = nullptr;
    tarvex::StatusNote m_note = tarvex::StatusNote::Ready;
    QString m_savedPath;
};
