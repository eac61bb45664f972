#pragma once
#include "msgbox.h"

#include <QStringList>

#include <optional>
#include <vector>

namespace tarvex {

// For tests: while it lives, every message box is recorded instead of shown and answered at
// once. A box with only OK answers IDOK; a question (Yes/No, OK/Cancel) answers the value given
// to setAnswer, or by default IDYES respectively IDOK. Restores the previous hook when it ends.
class MessageBoxRecorder {
  public:
    MessageBoxRecorder()
        : m_previous(
              SetMessageBoxHook([this](const MessageBoxCall& call) { return Answer(call); })) {}
    ~MessageBoxRecorder() { SetMessageBoxHook(std::move(m_previous)); }
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    const std::vector<MessageBoxCall>& calls() const { return m_calls; }
    QStringList texts() const {
        QStringList texts;
        for (const MessageBoxCall& call : m_calls)
            texts << call.text;
        return texts;
    }
    void clear() { m_calls.clear(); }
    // The answer to questions from now on: IDYES or IDNO for Yes/No, IDOK or IDCANCEL for
    // OK/Cancel.
    void setAnswer(int answer) { m_answer = answer; }

  private:
    int Answer(const MessageBoxCall& call) {
        m_calls.push_back(call);
        switch (call.style & MB_TYPEMASK) {
        case MB_YESNO:
            return m_answer.value_or(IDYES);
        case MB_OKCANCEL:
            return m_answer.value_or(IDOK);
        default:
            return IDOK;
        }
    }

    MessageBoxHook m_previous;
    std::vector<MessageBoxCall> m_calls;
    std::optional<int> m_answer;
};

} // namespace tarvex
