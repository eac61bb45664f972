// The operator's commands against an instrument whose answers the input gives: connect, a test
// started on any of the nine pages, the record lists, record uploads, a record shown, Save and
// the error curve. Every reply goes through ReadReply and the main frame's dispatcher, nested
// commands (a handshake asking for the device information, a test-finished reply asking for
// the result) included. The layout of an input is in script.h.
#include "script.h"
#include "shell.h"

#include "controls/ltree.h"
#include "controls/mytabctrl.h"
#include "history/searchdlg.h"
#include "pages/ivadlg.h"
#include "pages/iwcdlg.h"
#include "pages/uvadlg.h"
#include "rxbuffer.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QTreeWidget>

#include <algorithm>
#include <cstdint>

namespace {

using namespace fuzz;

constexpr int kMaxActions = 24;
constexpr int kMaxUploadRows = 8;

void StartTest(Shell& shell, int kind) {
    shell.frame->m_LTree->SelectTest(kind);
    const bool excitation = kind == 0 || kind == 4;
    QWidget* page = shell.frame->m_TabCtrl->Page(kind);
    if (auto* start = page->findChild<QPushButton*>(excitation ? "id1009" : "id1013"))
        start->click(); // does nothing while the handshake has not enabled it
}

void Upload(Shell& shell, const Bytes& rows) {
    CSearchDlg* dialog = shell.frame->m_pSearchDlg;
    QTreeWidget* list = dialog->m_SearchList;
    const int count = list->topLevelItemCount();
    if (count == 0)
        return;
    list->clearSelection();
    for (std::size_t i = 0; i < rows.size() && i < kMaxUploadRows; ++i)
        list->topLevelItem(rows[i] % count)->setSelected(true);
    if (rows.empty())
        list->topLevelItem(0)->setSelected(true);
    dialog->m_btnOK->click();
    while (dialog->IsUploading())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void ShowRecord(Shell& shell, unsigned char choice) {
    CLTree* tree = shell.frame->m_LTree;
    QTreeWidgetItem* node = (choice & 1) ? tree->m_hPTHistory : tree->m_hCTHistory;
    if (node->childCount() == 0)
        return;
    tree->ClearSelection();
    tree->setCurrentItem(node->child((choice >> 1) % node->childCount()));
}

void Perform(Shell& shell, unsigned char action, const Bytes& parameters) {
    switch (action) {
    case kConnect:
        shell.frame->OnConnect();
        break;
    case kSearchCt:
        shell.Search(false);
        break;
    case kSearchPt:
        shell.Search(true);
        break;
    case kUpload:
        Upload(shell, parameters);
        break;
    case kShowRecord:
        ShowRecord(shell, parameters.empty() ? 0 : parameters[0]);
        break;
    case kSave:
        shell.frame->OnFileSave();
        break;
    case kErrorCurve: {
        const bool pt = !parameters.empty() && (parameters[0] & 1);
        CExcitationPage* page = shell.app->m_pIVADlg;
        if (pt)
            page = shell.app->m_pUVADlg;
        shell.frame->ShowErrorCurve(page);
        shell.frame->m_pErrorCurveDlg->OnCalcErrorCurve();
        shell.frame->m_pErrorCurveDlg->grab(); // paints the curve
        break;
    }
    default:
        StartTest(shell, action - kFirstTest);
        break;
    }
    Shell::Settle();
    CheckReplyBuffer();
    // Replies the commands did not ask for are not sent; bytes on their way stay on the line.
    shell.replies.clear();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Shell shell;
    unsigned char action = kConnect;
    Bytes parameters;
    int actions = 0;
    const std::uint8_t* end = data + size;
    for (const std::uint8_t* p = data; p < end && actions < kMaxActions;) {
        const std::uint8_t* next =
            std::search(p, end, std::begin(kSeparator), std::end(kSeparator));
        if (next > p) {
            if (*p < kActions) {
                Perform(shell, action, parameters);
                ++actions;
                action = *p;
                parameters.assign(p + 1, next);
            } else {
                shell.replies.push_back({Bytes(p + 1, next), *p});
            }
        }
        p = next == end ? end : next + sizeof kSeparator;
    }
    if (actions < kMaxActions)
        Perform(shell, action, parameters);
    shell.frame->grab(); // paints what the pages show
    return 0;
}
