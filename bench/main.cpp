// tarvex-bench: the figures an operator feels, measured the same way every time.
//   tarvex-bench all [--sim PATH] [--runs N]   every figure, one table; exit 1 when a goal is
//   missed tarvex-bench SUB-COMMAND ...                one figure (figures.h), "key value" lines
#include "benchkit.h"
#include "figures.h"
#include "link/testkinds.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace bench {
namespace {

using Values = std::map<std::string, std::vector<double>>;

struct Row {
    std::string figure;
    std::string measured;
    std::string goal;
    bool met;
};

std::string Format(const char* format, double a, double b = 0, double c = 0) {
    char text[160];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

// A sub-command of this program running, its messages kept in a file of their own (Qt's
// offscreen platform has a few to say) and shown only when it fails.
class SubCommand {
  public:
    // folder: where the messages file goes.
    SubCommand(const std::string& folder, std::vector<std::string> args,
               const std::string& sim = {})
        : m_messages(MessagesFile(folder)) {
        args.insert(args.begin(), SelfPath());
        if (!sim.empty())
            args.insert(args.end(), {"--sim", sim});
        m_name = args[1];
        m_process = std::make_unique<Process>(args, std::string(), m_messages);
    }
    ~SubCommand() { std::remove(m_messages.c_str()); }
    SubCommand(const SubCommand&) = delete;
    SubCommand& operator=(const SubCommand&) = delete;

    // What it reports, once it has ended; a failed one reports "failed" 1.
    Values Collect() {
        int status = 0;
        Values values = ParseReport(m_process->Output(&status));
        if (status != 0) {
            values["failed"].push_back(1);
            std::fprintf(stderr, "tarvex-bench: %s failed:\n", m_name.c_str());
            if (std::FILE* file = std::fopen(m_messages.c_str(), "r")) {
                char line[512];
                while (std::fgets(line, sizeof line, file))
                    std::fputs(line, stderr);
                std::fclose(file);
            }
        }
        return values;
    }

  private:
    static std::string MessagesFile(const std::string& folder) {
        static int count = 0;
        return folder + "/messages" + std::to_string(++count) + ".txt";
    }

    std::string m_messages;
    std::string m_name;
    std::unique_ptr<Process> m_process;
};

Values Run(const std::string& folder, const std::vector<std::string>& args) {
    return SubCommand(folder, args).Collect();
}

void Merge(Values& into, const Values& from) {
    for (const auto& [key, list] : from)
        into[key].insert(into[key].end(), list.begin(), list.end());
}

bool Has(const Values& v, const std::string& key, std::size_t count = 1) {
    const auto it = v.find(key);
    return !v.count("failed") && it != v.end() && it->second.size() >= count;
}

double Get(const Values& v, const std::string& key) {
    return Median(v.at(key));
}

const double kMB = 1e6 / 1024; // KiB in a megabyte

Row ExchangeRow(int baud, const Values& v) {
    Row row{Format("exchange overhead, nine tests over a pty at %.0f baud", baud), "failed",
            "<= 0.2 %", false};
    // Each test's median over its runs; the worst test is the figure.
    double worst = -1e9;
    int worstKind = 0;
    std::vector<double> all;
    bool results = true;
    for (int kind = 0; kind < kKinds; ++kind) {
        if (!Has(v, Key("overhead_pct", kind)) || !Has(v, Key("result", kind)))
            return row;
        const double overhead = Get(v, Key("overhead_pct", kind));
        all.push_back(overhead);
        results = results && Get(v, Key("result", kind)) == 1;
        if (overhead > worst) {
            worst = overhead;
            worstKind = kind;
        }
    }
    row.measured = Format("worst %.3f %% (", worst) + KindName(worstKind) +
                   Format(", %.0f ms over %.0f ms), median of the nine %.3f %%",
                          Get(v, Key("wall_ms", worstKind)) - Get(v, Key("floor_ms", worstKind)),
                          Get(v, Key("floor_ms", worstKind)), Median(all));
    if (!results)
        row.measured += "; a test brought no result";
    row.met = results && worst <= 0.2;
    return row;
}

Row SlowLineRow(const Values& v) {
    Row row{"255-point CT excitation result at 300 baud", "failed", "whole", false};
    for (const char* key :
         {"block_bytes.0", "block_whole.0", "points.0", "result.0", "wall_ms.0", "floor_ms.0"}) {
        if (!Has(v, key))
            return row;
    }
    const bool whole = Get(v, "block_whole.0") == 1 && Get(v, "result.0") == 1;
    row.measured =
        Format("%.0f-byte block ", Get(v, "block_bytes.0")) + (whole ? "whole" : "NOT whole") +
        Format(", %.0f points shown, %.2f s from start (least %.2f s)", Get(v, "points.0"),
               Get(v, "wall_ms.0") / 1000, Get(v, "floor_ms.0") / 1000);
    // 55 AA 1A, the count, the knee (two words), 255 currents and 255 voltages, FD FA.
    const double blockBytes = 3 + 1 + 4 + 4 * 255 + 2;
    row.met = whole && Get(v, "points.0") == 255 && Get(v, "block_bytes.0") == blockBytes;
    return row;
}

Row MedianRow(const std::string& figure, const Values& v, const std::string& key,
              const char* format, double scale, const std::string& goal, double limit) {
    Row row{figure, "failed", goal, false};
    if (!Has(v, key))
        return row;
    const double value = Median(v.at(key)) / scale;
    row.measured = Format(format, value, static_cast<double>(v.at(key).size()));
    row.met = value <= limit;
    return row;
}

// The worst median among the codes of the block kinds given.
Row DispatchRow(const std::string& figure, const Values& v, const std::vector<std::string>& codes) {
    Row row{figure, "failed", "<= 20 ms", false};
    double worst = -1;
    std::string worstCode;
    for (const std::string& code : codes) {
        if (!Has(v, "dispatch_ms." + code))
            return row;
        const double ms = Get(v, "dispatch_ms." + code);
        if (ms > worst) {
            worst = ms;
            worstCode = code;
        }
    }
    row.measured = Format("%.1f ms (worst: 55 AA ", worst) + worstCode + " 7F FF..., median of " +
                   Format("%.0f)", static_cast<double>(v.at("dispatch_ms." + worstCode).size()));
    row.met = worst <= 20;
    return row;
}

// The worst median among the searches of the archive window, and which it was.
Row FilterRow(const Values& v) {
    Row row{"archive of 100,000 results: a filter applied (first page of rows)", "failed",
            "<= 100 ms", false};
    double worst = -1;
    std::string worstSearch;
    for (const char* search : {"kind", "month", "line", "nothing", "all"}) {
        const std::string key = std::string("filter_ms.") + search;
        if (!Has(v, key))
            return row;
        if (Get(v, key) > worst) {
            worst = Get(v, key);
            worstSearch = search;
        }
    }
    row.measured =
        Format("worst %.1f ms (", worst) + worstSearch +
        Format(", median of %.0f)", static_cast<double>(v.at("filter_ms." + worstSearch).size()));
    row.met = worst <= 100;
    return row;
}

std::vector<Row> ArchiveRows(const Values& v) {
    std::vector<Row> rows;
    rows.push_back(MedianRow("record one result in the archive (synchronous write)", v, "record_ms",
                             "%.1f ms (median of %.0f)", 1, "<= 20 ms", 20));
    Row upload = MedianRow("store an upload of 300 records in the archive", v, "upload_store_ms",
                           "%.0f ms", 1, "<= 1000 ms more than the upload", 1000);
    if (Has(v, "upload_record_median_ms") && Has(v, "upload_record_max_ms"))
        upload.measured +=
            Format(" (a record: median %.1f ms, longest %.1f ms)",
                   Get(v, "upload_record_median_ms"), Get(v, "upload_record_max_ms"));
    rows.push_back(upload);
    Row page = MedianRow("archive of 100,000 results: first page of rows", v, "page_ms",
                         "%.1f ms (median of %.0f)", 1, "<= 300 ms", 300);
    if (Has(v, "open_ms") && Has(v, "results")) {
        page.measured += Format("; opening the file %.0f ms", Get(v, "open_ms"));
        page.met = page.met && Get(v, "results") >= 100000;
    }
    rows.push_back(page);
    rows.push_back(FilterRow(v));
    Row size{"archive size per 1,000 CT excitation results (255 points)", "failed", "reported",
             false};
    if (Has(v, "size_per_1000_kb")) {
        size.measured = Format("%.2f MB", Get(v, "size_per_1000_kb") / kMB);
        size.met = true;
    }
    rows.push_back(size);
    return rows;
}

int AllMain(int argc, char** argv) {
    const std::string self = SelfPath();
    const std::string sim = Option(
        argc, argv, "--sim",
        (std::filesystem::path(self).parent_path().parent_path() / "sim" / "tarvex-sim").string());
    const std::string runs = Option(argc, argv, "--runs", "5");
    const std::int64_t begin = NowNs();
    // Sub-commands without a port of their own find no COM1 in this empty folder.
    TempDir home;
    setenv("XDG_CONFIG_HOME", home.Path().c_str(), 1);
    setenv("XDG_DATA_HOME", home.Path().c_str(), 1); // the results archive, never the user's

    // The long figures wait for the instrument nearly all the time: they run side by side, each
    // test sequence in three programs at each rate, so that every sequence has a median. They
    // start 1.2 s apart: programs in step would all press a start button or end a wait at the
    // same moment and delay each other, while within a test such moments are less than 1 s
    // or at least 10 s apart.
    std::printf("tarvex-bench: the test sequences over pseudo-terminals (about 3 minutes)...\n");
    std::fflush(stdout);
    Values line9600, line115200, line300, wait;
    const struct {
        std::vector<std::string> args;
        Values* values;
    } longFigures[] = {
        {{"exchange", "--baud", "9600"}, &line9600},
        {{"exchange", "--baud", "115200"}, &line115200},
        {{"exchange", "--baud", "9600"}, &line9600},
        {{"exchange", "--baud", "115200"}, &line115200},
        {{"exchange", "--baud", "9600"}, &line9600},
        {{"exchange", "--baud", "115200"}, &line115200},
        {{"exchange", "--baud", "300", "--points", "255", "--kinds", "0"}, &line300},
        {{"waitcpu", "--ms", "10000", "--runs", "3"}, &wait},
    };
    std::vector<std::unique_ptr<SubCommand>> running;
    for (const auto& figure : longFigures) {
        if (!running.empty())
            std::this_thread::sleep_for(std::chrono::milliseconds(1200));
        running.push_back(std::make_unique<SubCommand>(home.Path(), figure.args, sim));
    }
    for (std::size_t i = 0; i < running.size(); ++i)
        Merge(*longFigures[i].values, running[i]->Collect());

    // The short ones are busy: one after the other, each several times.
    std::printf("tarvex-bench: start-up, files, blocks, a thousand tests...\n");
    std::fflush(stdout);
    Values startup;
    {
        TempDir portHome;
        setenv("XDG_CONFIG_HOME", portHome.Path().c_str(), 1);
        SimOnPty instrument(sim, portHome.Path() + "/sim.log", SimTimingOptions());
        for (int run = 0; instrument.Ready() && run < std::stoi(runs); ++run)
            Merge(startup, Run(home.Path(), {"startup", "--since", std::to_string(NowNs())}));
        if (!instrument.Ready())
            startup["failed"].push_back(1);
        setenv("XDG_CONFIG_HOME", home.Path().c_str(), 1);
    }
    const Values open = Run(home.Path(), {"openfile", "--runs", runs});
    const Values dispatch = Run(home.Path(), {"dispatch", "--runs", runs});
    const Values soak = Run(home.Path(), {"soak", "--tests", "1000"});
    const Values report = Run(home.Path(), {"report", "--runs", "3"});
    const Values knees = Run(home.Path(), {"knees", "--runs", runs});
    std::printf("tarvex-bench: the results archive (100,000 results)...\n");
    std::fflush(stdout);
    const Values archive = Run(home.Path(), {"archive", "--runs", "20"});

    std::vector<Row> rows;
    rows.push_back(ExchangeRow(9600, line9600));
    rows.push_back(ExchangeRow(115200, line115200));
    rows.push_back(SlowLineRow(line300));
    rows.push_back(MedianRow("processor time during a wait (10 s, GUI thread, connected)", wait,
                             "wait_cpu_pct", "%.2f %% of one core (median of %.0f)", 1, "<= 0.5 %",
                             0.5));
    rows.push_back(MedianRow("start-up to the main window shown (offscreen)", startup, "startup_ms",
                             "%.0f ms (median of %.0f)", 1, "<= 150 ms", 150));
    rows.push_back(MedianRow("resident memory after the nine tests", startup, "rss_after_test_kb",
                             "%.1f MB (median of %.0f)", kMB, "<= 60 MB", 60));
    Row file = MedianRow("open a 1 MiB data file (打开数据)", open, "open_ms",
                         "%.0f ms (median of %.0f)", 1, "<= 200 ms", 200);
    if (Has(open, "open_points") && Has(open, "file_points")) {
        const bool all =
            Get(open, "open_points") == Get(open, "file_points") && Get(open, "refusals") == 0;
        file.measured += Format(", %.0f points", Get(open, "open_points"));
        file.met = file.met && all;
    }
    rows.push_back(file);
    rows.push_back(
        DispatchRow("dispatch an 8191-byte block of list frames", dispatch, {"E4", "E6"}));
    auto hex = [](unsigned char code) {
        char text[3];
        std::snprintf(text, sizeof text, "%02X", code);
        return std::string(text);
    };
    std::vector<std::string> results{hex(tarvex::kCtTapReplyCode)};
    for (const tarvex::TestKindInfo& kind : tarvex::kTestKinds)
        results.push_back(hex(kind.code));
    rows.push_back(DispatchRow("dispatch an 8191-byte block of result frames", dispatch, results));
    Row growth = MedianRow("1,000 simulated tests: resident memory growth", soak, "rss_growth_kb",
                           "%.2f MB", kMB, "<= 1 MB", 1);
    if (Has(soak, "failed_tests") && Get(soak, "failed_tests") != 0) {
        growth.measured += Format("; %.0f tests brought no result", Get(soak, "failed_tests"));
        growth.met = false;
    }
    rows.push_back(growth);
    rows.push_back(MedianRow("knee points of a 255-point curve (IEC, IEEE 45° and 30°)", knees,
                             "knees_ms", "%.3f ms (median of %.0f)", 1, "< 1 ms", 1));
    for (Row& row : ArchiveRows(archive))
        rows.push_back(row);
    Row pdf = MedianRow("PDF report of 50 results (255-point curves, error curves)", report,
                        "report_ms", "%.0f ms (median of %.0f)", 1, "<= 2000 ms", 2000);
    if (Has(report, "report_pages"))
        pdf.measured += Format(", %.0f pages", Get(report, "report_pages"));
    rows.push_back(pdf);

    std::printf("\n| figure | measured | goal | |\n|---|---|---|---|\n");
    bool allMet = true;
    for (const Row& row : rows) {
        std::printf("| %s | %s | %s | %s |\n", row.figure.c_str(), row.measured.c_str(),
                    row.goal.c_str(), row.met ? "met" : "MISSED");
        allMet = allMet && row.met;
    }
    std::printf("\n%s in %.0f s\n", allMet ? "every goal met" : "GOALS MISSED",
                MsSince(begin) / 1000);
    return allMet ? 0 : 1;
}

} // namespace
} // namespace bench

int main(int argc, char** argv) {
    // Windows are made offscreen: no display is needed.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::map<std::string, std::function<int(int, char**)>> commands = {
        {"all", bench::AllMain},           {"exchange", bench::ExchangeMain},
        {"waitcpu", bench::WaitCpuMain},   {"startup", bench::StartupMain},
        {"soak", bench::SoakMain},         {"openfile", bench::OpenFileMain},
        {"dispatch", bench::DispatchMain}, {"knees", bench::KneesMain},
        {"archive", bench::ArchiveMain},   {"report", bench::ReportMain},
    };
    const auto it = commands.find(argc > 1 ? argv[1] : "all");
    if (it == commands.end()) {
        std::fprintf(stderr, "usage: tarvex-bench [all | exchange | waitcpu | startup | soak | "
                             "openfile | dispatch | knees | archive | report] [--name value...]\n");
        return 2;
    }
    return it->second(argc, argv);
}
