#include "statusnote.h"

namespace tarvex {
namespace {
StatusNoteBoard* g_board = nullptr;
}

void SetStatusNoteBoard(StatusNoteBoard* board) {
    g_board = board;
}

void ShowStatusNote(StatusNote note) {
    if (g_board)
        g_board->ShowStatusNote(note);
}

} // namespace tarvex
