// How long the window freezes on the largest input the program takes at once: a data file of
// 1 MiB opened with 打开数据, and a reply block of 8191 bytes handed to the dispatcher.
#include "benchkit.h"
#include "figures.h"

#include "app/mainfrm.h"
#include "controls/ltree.h"
#include "history/searchdlg.h"
#include "link/rxbuffer.h"
#include "link/testkinds.h"
#include "pages/ivadlg.h"
#include "platform/filedialogrecorder.h"

#include <QAbstractButton>
#include <QFile>
#include <QStringEncoder>

#include <cmath>
#include <cstdio>
#include <cstring>

namespace bench {
namespace {

constexpr qint64 kDataFileBytes = 1 << 20;

// A data file as the CT excitation page saves it, with as many rows of points (a saturating
// curve inside the chart's axes) as fit into kDataFileBytes. The number of points in *points.
bool WriteDataFile(CTarvexApp& app, const QString& path, int* points) {
    CIVADlg* page = app.m_pIVADlg;
    page->SetDlgItemText(1004, "2000"); // test voltage, V
    page->SetDlgItemText(1005, "5");    // test current, A
    page->UpdateData(true);
    const int rows = 90000; // more than fit; cut below
    page->m_CurveCurrents.clear();
    page->m_CurveVoltages.clear();
    for (int i = 1; i <= rows; ++i) {
        const double f = static_cast<double>(i) / rows;
        page->m_CurveCurrents.append(static_cast<float>(5 * std::pow(f, 6)));
        page->m_CurveVoltages.append(static_cast<float>(1950 * std::pow(f, 0.2)));
    }
    page->BuildResultText();
    QByteArray bytes = QStringEncoder("GBK").encode(app.m_strReport);
    bytes.truncate(bytes.lastIndexOf("\r\n", kDataFileBytes - 2) + 2);
    const QByteArray head = bytes.left(bytes.indexOf("I(A)"));
    *points = static_cast<int>(bytes.count("\r\n") - head.count("\r\n") - 1);
    page->m_CurveCurrents.clear();
    page->m_CurveVoltages.clear();
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Bytes of pattern repeated up to 8189, then the trailer FD FA: 8191, what one read holds.
std::vector<unsigned char> WorstBlock(const std::vector<unsigned char>& pattern) {
    std::vector<unsigned char> block;
    while (block.size() < kRxBufSize - 3)
        block.push_back(pattern[block.size() % pattern.size()]);
    block.push_back(0xFD);
    block.push_back(0xFA);
    return block;
}

} // namespace

// openfile [--runs 5]: "open_ms" per run, from the click on 打开数据 to the page painted;
// "open_points" shown.
int OpenFileMain(int argc, char** argv) {
    const int runs = std::stoi(Option(argc, argv, "--runs", "5"));
    Program program(argc, argv);
    if (!program.ShowMainWindow())
        return 1;
    TempDir dir;
    const QString path = QString::fromStdString(dir.Path()) + "/curve.txt";
    int points = 0;
    if (!WriteDataFile(program.app, path, &points))
        return 1;

    program.Frame()->m_LTree->SelectTest(0);
    QCoreApplication::processEvents();
    tarvex::FileDialogRecorder dialogs;
    dialogs.setAnswer(path);
    auto* open = program.app.m_pIVADlg->findChild<QAbstractButton*>("id1010");
    for (int run = 0; run < runs; ++run) {
        const std::int64_t start = NowNs();
        open->click();
        QCoreApplication::processEvents(); // painted
        Report("open_ms", MsSince(start));
    }
    // The origin is no row of a file: every point of the file is in the curve.
    Report("open_points", program.app.m_pIVADlg->m_CurveCurrents.size());
    Report("file_points", points);
    Report("refusals", static_cast<double>(program.boxes.calls().size()));
    return 0;
}

std::vector<unsigned char> DispatchedCodes() {
    std::vector<unsigned char> codes{0xE4, 0xE6, tarvex::kCtTapReplyCode};
    for (const tarvex::TestKindInfo& kind : tarvex::kTestKinds)
        codes.push_back(kind.code);
    return codes;
}

// dispatch [--runs 5]: "dispatch_ms.CODE" per run, from the block handed to the dispatcher to
// the window painted, for blocks of repeated 55 AA CODE 7F FF frames: the history lists (E4,
// E6) and every result.
int DispatchMain(int argc, char** argv) {
    const int runs = std::stoi(Option(argc, argv, "--runs", "5"));
    Program program(argc, argv);
    if (!program.ShowMainWindow())
        return 1;
    // Each code with the window that shows it on screen: the search dialog for the lists, the
    // page of the test for a result.
    for (const unsigned char code : DispatchedCodes()) {
        const int kind = tarvex::TestKindOfReply(code);
        if (kind < 0)
            program.app.m_pSearchDlg->show();
        else
            program.Frame()->m_LTree->SelectTest(kind);
        QCoreApplication::processEvents();
        const std::vector<unsigned char> block = WorstBlock({0x55, 0xAA, code, 0x7F, 0xFF});
        char key[32];
        std::snprintf(key, sizeof key, "dispatch_ms.%02X", code);
        for (int run = 0; run < runs; ++run) {
            const std::int64_t start = NowNs();
            std::memcpy(g_RxBuf, block.data(), block.size());
            g_RxBuf[block.size()] = 0;
            g_RxLen = static_cast<std::int16_t>(block.size());
            program.Frame()->OnDeviceReply({g_RxBuf, static_cast<std::size_t>(g_RxLen)});
            QCoreApplication::processEvents(); // the list rows built, the pages painted
            Report(key, MsSince(start));
        }
    }
    return 0;
}

} // namespace bench
