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
#include "testkinds.h"

#include "state/appstate.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

namespace {

using namespace fuzz;

constexpr int kMaxActions = 24;
constexpr int kMaxUploadRows = 8;

// The test kind a start action names; -1 for any other action.
int StartedKind(unsigned char action, const Bytes& parameters) {
    if (action != kStartTest)
        return -1;
    return parameters.empty() ? 0 : parameters[0] % tarvex::kTestKindCount;
}

void StartTest(Shell& shell, int kind) {
    shell.frame->m_LTree->SelectTest(kind);
    const int startId = tarvex::kTestKinds[kind].startButtonId;
    QWidget* page = shell.frame->m_TabCtrl->Page(kind);
    if (auto* start = page->findChild<QPushButton*>(QString("id%1").arg(startId)))
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

// What the program shows and holds that a reply may change: the connection, the limits, the
// tests the instrument supports, and the texts and rows of each page.
struct Shown {
    int connected = 0;
    int maxVoltage = 0;
    int maxCurrent = 0;
    std::vector<int> supported;
    std::vector<QStringList> pages;

    static QStringList PageTexts(QWidget* page) {
        QStringList texts;
        for (QLabel* label : page->findChildren<QLabel*>())
            texts << label->text();
        for (QLineEdit* edit : page->findChildren<QLineEdit*>())
            texts << edit->text();
        for (QTreeWidget* list : page->findChildren<QTreeWidget*>()) {
            for (int row = 0; row < list->topLevelItemCount(); ++row)
                for (int col = 0; col < list->columnCount(); ++col)
                    texts << list->topLevelItem(row)->text(col);
        }
        return texts;
    }

    static Shown Of(Shell& shell) {
        const CAppState& app = theApp();
        Shown s{shell.link->m_bConnected, app.m_nMaxTestVoltage, app.m_nMaxTestCurrent, {}, {}};
        for (int kind = 0; kind < 9; ++kind) {
            s.supported.push_back(app.m_bSupported[kind]);
            s.pages.push_back(PageTexts(shell.frame->m_TabCtrl->Page(kind)));
        }
        return s;
    }
};

// The page of a test kind that each reply code changes (the CT ratio page also takes the device
// type of 0xE0); -1 for none.
int PageOfCode(unsigned char code) {
    return code == 0xE0 ? tarvex::kCtRatioKind : tarvex::TestKindOfReply(code);
}

// The results the model was handed during an action, by test kind.
std::array<int, tarvex::kTestKindCount> g_stored{};

// A reply changes only what its frames' receivers show: the connection only with a handshake
// frame, the limits and supported tests only with the device information a handshake asks for,
// a page and the result model only with its result (or by the operator's own action on it: a
// start, a record shown).
void CheckOnlyReceiversChanged(const Shown& before, const Shown& after,
                               const std::set<unsigned char>& codes, unsigned char action,
                               int startedKind) {
    const bool handshake = codes.count(0xD0);
    FUZZ_CHECK(after.connected == before.connected || handshake);
    const bool info = handshake && codes.count(0xE0);
    FUZZ_CHECK(info ||
               (after.maxVoltage == before.maxVoltage && after.maxCurrent == before.maxCurrent &&
                after.supported == before.supported));
    for (int kind = 0; kind < tarvex::kTestKindCount; ++kind) {
        bool mayStore = kind == startedKind || (action == kShowRecord && kind % 4 == 0);
        for (unsigned char code : codes)
            mayStore = mayStore || tarvex::TestKindOfReply(code) == kind;
        FUZZ_CHECK(g_stored[kind] == 0 || mayStore);
    }
    for (int kind = 0; kind < 9; ++kind) {
        bool mayChange = kind == startedKind || (action == kShowRecord && kind % 4 == 0);
        for (unsigned char code : codes)
            mayChange = mayChange || PageOfCode(code) == kind;
        if (!mayChange && after.pages[kind] != before.pages[kind]) {
            std::fprintf(stderr, "page %d changed without its reply\n", kind);
            FUZZ_CHECK(after.pages[kind] == before.pages[kind]);
        }
    }
}

// `shown` is what the program showed before the action (nothing changes between actions) and
// becomes what it shows after it.
void Perform(Shell& shell, unsigned char action, const Bytes& parameters, Shown& shown) {
    shell.checked.codes.clear();
    g_stored.fill(0);
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
        Shell::Paint(shell.frame->m_pErrorCurveDlg);
        break;
    }
    case kStartTest:
        StartTest(shell, StartedKind(action, parameters));
        break;
    default:
        break; // no action
    }
    Shell::Settle();
    CheckReplyBuffer();
    Shown after = Shown::Of(shell);
    CheckOnlyReceiversChanged(shown, after, shell.checked.codes, action,
                              StartedKind(action, parameters));
    shown = std::move(after);
    // Replies the commands did not ask for are not sent; bytes on their way stay on the line.
    shell.replies.clear();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Input input;
    Shell& shell = input.shell;
    static const QMetaObject::Connection counting = QObject::connect(
        &shell.app->m_results, &CResultModel::resultChanged, [](int kind) { ++g_stored.at(kind); });
    unsigned char action = kConnect;
    Bytes parameters;
    Shown shown = Shown::Of(shell);
    int actions = 0;
    const std::uint8_t* end = data + size;
    for (const std::uint8_t* p = data; p < end && actions < kMaxActions;) {
        const std::uint8_t* next =
            std::search(p, end, std::begin(kSeparator), std::end(kSeparator));
        if (next > p) {
            if (*p < kActions) {
                Perform(shell, action, parameters, shown);
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
        Perform(shell, action, parameters, shown);
    Shell::Paint(shell.frame->m_TabCtrl->Page(shell.frame->m_TabCtrl->CurrentTab()));
    return 0;
}
