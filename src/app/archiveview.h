#pragma once
#include "state/resultarchive.h"

class CMainFrame;

// Shows a result of the archive on its page as it was shown when measured (an uploaded record
// as in the history view), brings the page to the front, lets Save and Print work on it as on
// a live result, and says in the message pane that it comes from the archive. Nothing is sent
// to the instrument and nothing is recorded again.
void ShowArchivedResult(CMainFrame& frame, const ArchivedResult& row);

// Shows the window "测试档案" of the frame (created the first time), or says why there is none.
void OpenArchiveWindow(CMainFrame& frame);
