#pragma once
#include "filedialog.h"

#include <vector>

namespace tarvex {

// For tests: while it lives, every file dialog is recorded instead of shown and answered with
// the path given to setAnswer (empty by default: the operator cancels). Restores the previous
// hook when it ends.
class FileDialogRecorder {
  public:
    FileDialogRecorder()
        : m_previous(SetFileDialogHook([this](const FileDialogCall& call) {
              m_calls.push_back(call);
              return m_answer;
          })) {}
    ~FileDialogRecorder() { SetFileDialogHook(std::move(m_previous)); }
    FileDialogRecorder(const FileDialogRecorder&) = delete;
    FileDialogRecorder& operator=(const FileDialogRecorder&) = delete;

    const std::vector<FileDialogCall>& calls() const { return m_calls; }
    void clear() { m_calls.clear(); }
    void setAnswer(const QString& path) { m_answer = path; }

  private:
    FileDialogHook m_previous;
    std::vector<FileDialogCall> m_calls;
    QString m_answer;
};

} // namespace tarvex
