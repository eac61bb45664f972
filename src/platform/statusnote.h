#pragma once
#include <QString>

namespace tarvex {

// What the status bar's message pane tells the operator between commands, without a message
// box: nothing to say ("就绪", or the uploaded record on show), a command that expected a reply
// got none ("仪器无应答"), the device went away ("设备已断开"), a file was saved ("已保存：" and
// its path), the protocol trace cannot be written ("协议记录无法写入："), or a text of its own
// given with the note (the results archive's).
enum class StatusNote { Ready, NoReply, DeviceLost, Saved, TraceFailed, Text };

class StatusNoteBoard {
  public:
    virtual ~StatusNoteBoard() = default;
    virtual void ShowStatusNote(StatusNote note) = 0;
};

// The board in force (the main frame); nullptr: notes go nowhere.
void SetStatusNoteBoard(StatusNoteBoard* board);
// Shows a note. GUI thread only (the upload worker marshals its notes there).
void ShowStatusNote(StatusNote note);
// Shows StatusNote::Text with this text.
void ShowStatusText(const QString& text);
// The text of the latest StatusNote::Text.
QString StatusText();

} // namespace tarvex
