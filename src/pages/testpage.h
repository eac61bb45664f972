#pragma once
#include "platform/dialogpage.h"
#include "state/resultmodel.h"

#include <functional>

class CDeviceLink;

// What every test page shares: the instrument's test sequence. Pages format what the
// dispatcher hands them; they never read the port themselves. GUI thread only.
class CTestPage : public CDialogPage {
  public:
    using CDialogPage::CDialogPage;

    // Empties the results on show. The pages whose results are entries also write the members
    // back to their parameter entries; the excitation pages leave their entries as they stand.
    virtual void ClearResults() = 0;
    // Shows a result of the page's kind, as the dispatcher or the archive hands it; a value of
    // any other kind changes nothing.
    virtual void ShowResult(const TestResult::Value& value) = 0;

    // Set by the dispatcher when a reply carrying this page's result arrives; RunTest clears it
    // first and tells the operator when no result came.
    bool m_bResultArrived = false;

  protected:
    // True, after telling the operator, while the history upload holds the link. Every start
    // asks first, before it reads or clears anything.
    bool StartRefused();

    // The sequence of every test: clear m_bStartAcked, send the page's parameter command (none
    // when sendParameters is empty), pause, StartTest (which waits the test's time and reads),
    // then at most two polls with RequestResult while no test-finished reply has come.
    // Results reach the page through the dispatcher during these steps. A test that ends
    // without a result leaves "仪器无应答" (or "设备已断开") in the status bar.
    void RunTest(const std::function<void(CDeviceLink&)>& sendParameters, int pauseMs);

    // The rated secondary voltage box of the PT pages shows "100" with no item chosen.
    void InitRatedSecondaryBox(int id);
    // The index sent for it: the item whose text the box shows exactly, 0 for any other text.
    // An editable box keeps the index of the item last chosen while other text is typed over
    // it, so that index alone would send a value the operator no longer sees.
    int RatedSecondaryIndex(int id) const;
};
