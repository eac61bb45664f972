#include "statusnote.h"

namespace tarvex {
namespace {
StatusNoteBoard* g_board = nullptr;
QString g_text;
} // namespace

void SetStatusNoteBoard(StatusNoteBoard* board) {
    g_board = board;
}

void ShowStatusNote(StatusNote note) {
    if (g_board)
        g_board->ShowStatusNote(note);
}

void ShowStatusText(const QString& text) {
    g_text = text;
    ShowStatusNote(StatusNote::Text);
}

QString StatusText() {
    return g_text;
}

} // namespace tarvex
