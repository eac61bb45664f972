// Any bytes opened as an excitation data file on the CT or PT page (byte 0 chooses), then saved,
// opened and saved again: the second save writes exactly what the first wrote. Opening and
// saving is a fixed point, so a file never drifts from one round trip to the next.
#include "shell.h"

#include "pages/ivadlg.h"
#include "pages/uvadlg.h"
#include "platform/gbktext.h"
#include "platform/reportfile.h"

#include <cstdint>

namespace {

// What Save writes for the page's result on show; empty when Save would refuse it.
QByteArray Saved(CExcitationPage& page) {
    page.BuildResultText();
    const QString report = theApp().m_strReport;
    return UnsavableCharacter(report).isEmpty() ? tarvex::ToGbk(report) : QByteArray();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    const fuzz::Input input;
    fuzz::Shell& shell = input.shell;
    CTarvexApp& app = *shell.app;
    CExcitationPage* page = data[0] % 2 ? static_cast<CExcitationPage*>(app.m_pUVADlg)
                                        : static_cast<CExcitationPage*>(app.m_pIVADlg);
    const QByteArray file(reinterpret_cast<const char*>(data + 1),
                          static_cast<qsizetype>(size - 1));
    if (!page->LoadDataFile(file))
        return 0;
    const QByteArray first = Saved(*page);
    if (first.isEmpty())
        return 0;
    FUZZ_CHECK(page->LoadDataFile(first));
    FUZZ_CHECK(Saved(*page) == first);
    return 0;
}
