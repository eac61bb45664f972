#include "simoptions.h"

#include <QCommandLineParser>

#include <cctype>
#include <cstdlib>
#include <functional>
#include <sstream>

namespace sim {

namespace {

bool ParseInt(const std::string& text, long low, long high, long* out) {
    if (text.empty())
        return false;
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || v < low || v > high)
        return false;
    *out = v;
    return true;
}

bool ParseDouble(const std::string& text, double low, double high, double* out) {
    if (text.empty())
        return false;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (*end != '\0' || !(v >= low && v <= high))
        return false;
    *out = v;
    return true;
}

// "AF", "0xAF", "af"
bool ParseByte(const std::string& text, std::uint8_t* out) {
    std::string t = text;
    if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X'))
        t = t.substr(2);
    if (t.empty() || t.size() > 2)
        return false;
    char* end = nullptr;
    const long v = std::strtol(t.c_str(), &end, 16);
    if (*end != '\0')
        return false;
    *out = static_cast<std::uint8_t>(v);
    return true;
}

bool ParseByteList(const std::string& text, std::vector<std::uint8_t>* out) {
    out->clear();
    std::stringstream in(text);
    std::string item;
    while (std::getline(in, item, ',')) {
        std::uint8_t b = 0;
        if (!ParseByte(item, &b))
            return false;
        out->push_back(b);
    }
    return !out->empty();
}

// "V,A"
bool ParseKnee(const std::string& text, double* voltage, double* current) {
    const auto comma = text.find(',');
    return comma != std::string::npos && ParseDouble(text.substr(0, comma), 1, 3000, voltage) &&
           ParseDouble(text.substr(comma + 1), 0.001, 30, current);
}

// "COM3", "com3", "3" -> "COM3"
bool ParsePort(const std::string& text, std::string* out) {
    std::string digits = text;
    if (digits.size() > 3 && std::toupper(static_cast<unsigned char>(digits[0])) == 'C' &&
        std::toupper(static_cast<unsigned char>(digits[1])) == 'O' &&
        std::toupper(static_cast<unsigned char>(digits[2])) == 'M')
        digits = digits.substr(3);
    long n = 0;
    if (!ParseInt(digits, 1, 255, &n))
        return false;
    *out = "COM" + std::to_string(n);
    return true;
}

// "600/5"
bool ParseCtRatio(const std::string& text, CtConfig* ct) {
    const auto slash = text.find('/');
    double primary = 0;
    double secondary = 0;
    if (slash == std::string::npos || !ParseDouble(text.substr(0, slash), 1, 50000, &primary) ||
        !ParseDouble(text.substr(slash + 1), 0.1, 100, &secondary))
        return false;
    ct->ratedPrimary = primary;
    ct->ratedSecondary = secondary;
    return true;
}

// "10/100", "35/100/sqrt(3)"
bool ParsePtRatio(const std::string& text, PtConfig* pt) {
    const auto slash = text.find('/');
    double kv = 0;
    if (slash == std::string::npos || !ParseDouble(text.substr(0, slash), 0.1, 1000, &kv))
        return false;
    const std::string secondary = text.substr(slash + 1);
    const char* names[] = {"100", "100/3", "100/sqrt(3)", "220"};
    for (int i = 0; i < 4; ++i)
        if (secondary == names[i]) {
            pt->ratedPrimaryKv = kv;
            pt->secondaryIndex = i;
            return true;
        }
    return false;
}

// An option of the command line: its names (a short one or none), the name of its value
// (none for a switch) and what --help says of it.
struct OptionText {
    const char* shortName;
    const char* name;
    const char* value;
    const char* text;
};

// Every option, in the order --help lists them.
const OptionText kOptions[] = {
    {nullptr, "port", "NAME", "Link name, COM1 .. COM255 (or just the number). Default COM1."},
    {nullptr, "baud", "RATE",
     "Pace replies at this baud rate (10 bit times a byte). Default 0: follow the rate the "
     "program sets on the line."},
    {nullptr, "reply-delay-ms", "MS", "Delay from the end of a command to its reply. Default 20."},
    {nullptr, "model", "CODE",
     "Model code of the 0xE0 reply, hex. AB, AE: CT excitation and ratio only; AC: the four CT "
     "tests; AD: the four PT tests; any other code: all nine tests. Default AF."},
    {nullptr, "type", "CODE",
     "Device type, hex: A1 single ratio (reply 2A), A2 six taps (reply 7A). Default A1."},
    {nullptr, "range", "CODE",
     "Range byte, hex: A1 2500 V / 1000 A, A2 1000 V / 600 A. Default A1."},
    {nullptr, "test-ms", "MS",
     "How long a test runs before 55 AA EB FD FA. Default 3000 (the program waits at least "
     "10000 ms)."},
    {nullptr, "points", "N", "Points of an excitation result, 1..255. Default 30."},
    {nullptr, "ct-ratio", "P/S", "CT nameplate ratio in A. Default 600/5."},
    {nullptr, "ct-knee", "V,A", "CT knee point (IEC 61869-2). Default 120,0.05."},
    {nullptr, "ct-burden", "OHM",
     "CT secondary circuit, as the burden test measures it. Default 0.8."},
    {nullptr, "ct-rated-burden", "VA", "Burden the CT core is designed for. Default 10."},
    {nullptr, "resistance", "OHM",
     "Secondary winding resistance (DC resistance test). Default 0.235."},
    {nullptr, "pt-ratio", "KV/SEC",
     "PT nameplate: primary kV / secondary, SEC one of 100, 100/3, 100/sqrt(3), 220. Default "
     "10/100."},
    {nullptr, "pt-knee", "V,A", "PT knee point. Default 130,0.3."},
    {nullptr, "pt-burden", "OHM", "PT secondary circuit impedance. Default 400 (25 VA at 100 V)."},
    {nullptr, "pt-rated-burden", "VA", "Burden the PT is designed for. Default 30."},
    {nullptr, "class", "C", "Accuracy class of both, 0.1 .. 1 (0.2 or 0.5). Default 0.5."},
    {nullptr, "reverse-polarity", nullptr, "Polarity \"-\" in every ratio result."},
    {nullptr, "fault", "KIND",
     "Spoil replies, to test the program: no-reply, late (after the program's wait), cut (first "
     "half only), split (two halves with a gap), noise (bytes before the frame), trailer (FA FD "
     "instead of FD FA), overrun (point or record count larger than the bytes sent). May be "
     "given more than once."},
    {nullptr, "fault-codes", "LIST",
     "Reply codes the latest --fault applies to, hex, comma-separated (e.g. 1A,EB). Default: "
     "every reply."},
    {nullptr, "fault-times", "N",
     "Spoil only the first N matching replies of the latest --fault. Default 0: all."},
    {nullptr, "late-margin-ms", "MS",
     "How long after the program's wait a late reply starts. Default 1000."},
    {nullptr, "split-gap-ms", "MS", "Gap of a split reply. Default 200."},
    {nullptr, "noise", "LIST", "The noise bytes, hex, comma-separated. Default 00,11,13,FF,55."},
    {nullptr, "overrun", "N", "How many points or records an overrun count adds. Default 10."},
    {"v", "verbose", nullptr, "Also log raw reads and writes and baud rate changes."},
    {"h", "help", nullptr, "Show this text."},
    {nullptr, "version", nullptr, "Show the version."},
};

void AddOptions(QCommandLineParser* parser) {
    parser->setApplicationDescription(
        "A simulated instrument-transformer tester on a pseudo-terminal.\n\n"
        "Opens a pseudo-terminal, links it as <port folder>/COMn (the port folder is\n"
        "$XDG_CONFIG_HOME/tarvex/ports, default ~/.config/tarvex/ports), prints\n"
        "  device <slave path> linked as <link path>\n"
        "and answers the program's commands in real time until SIGINT, SIGTERM or SIGHUP\n"
        "(its terminal closed), when it removes the link. Every frame received and sent\n"
        "is logged in hex on stdout.");
    for (const OptionText& o : kOptions) {
        QStringList names{o.name};
        if (o.shortName)
            names.prepend(o.shortName);
        parser->addOption(QCommandLineOption(names, o.text, o.value ? o.value : QString()));
    }
}

// Applies one option that takes a value. false with *error on a value out of place.
bool ApplyValue(const std::string& name, const std::string& value, ProgramOptions* options,
                std::string* error) {
    EngineOptions& e = options->engine;
    long n = 0;
    double d = 0;
    bool ok = true;
    if (name == "port") {
        ok = ParsePort(value, &options->port);
    } else if (name == "baud") {
        ok = ParseInt(value, 0, 4000000, &n);
        options->fixedBaud = static_cast<int>(n);
    } else if (name == "reply-delay-ms") {
        ok = ParseInt(value, 0, 60000, &n);
        e.replyDelayMs = static_cast<int>(n);
    } else if (name == "model") {
        ok = ParseByte(value, &e.model);
    } else if (name == "type") {
        ok = ParseByte(value, &e.deviceType);
    } else if (name == "range") {
        ok = ParseByte(value, &e.range);
    } else if (name == "test-ms") {
        ok = ParseInt(value, 0, 600000, &n);
        e.testDurationMs = static_cast<int>(n);
    } else if (name == "points") {
        ok = ParseInt(value, 1, 255, &n);
        e.excitationPoints = static_cast<int>(n);
    } else if (name == "ct-ratio") {
        ok = ParseCtRatio(value, &e.ct);
    } else if (name == "ct-knee") {
        ok = ParseKnee(value, &e.ct.kneeVoltage, &e.ct.kneeCurrent);
    } else if (name == "ct-burden") {
        ok = ParseDouble(value, 0, 3000, &e.ct.connectedBurden);
    } else if (name == "ct-rated-burden") {
        ok = ParseDouble(value, 0, 1000, &e.ct.ratedBurden);
    } else if (name == "resistance") {
        ok = ParseDouble(value, 0, 3000, &e.ct.windingResistance);
    } else if (name == "pt-ratio") {
        ok = ParsePtRatio(value, &e.pt);
    } else if (name == "pt-knee") {
        ok = ParseKnee(value, &e.pt.kneeVoltage, &e.pt.kneeCurrent);
    } else if (name == "pt-burden") {
        ok = ParseDouble(value, 0, 1e6, &e.pt.connectedBurden);
    } else if (name == "pt-rated-burden") {
        ok = ParseDouble(value, 0, 10000, &e.pt.ratedBurden);
    } else if (name == "class") {
        ok = ParseDouble(value, 0.1, 1, &d);
        e.ct.accuracyClass = d;
        e.pt.accuracyClass = d;
    } else if (name == "fault") {
        const auto fault = FaultFromName(value);
        ok = fault.has_value();
        if (ok)
            e.faults.push_back({*fault, {}, 0});
    } else if (name == "fault-codes" || name == "fault-times") {
        if (e.faults.empty()) {
            *error = "--" + name + " must follow a --fault";
            return false;
        }
        if (name == "fault-codes") {
            std::vector<std::uint8_t> codes;
            ok = ParseByteList(value, &codes);
            e.faults.back().codes = {codes.begin(), codes.end()};
        } else {
            ok = ParseInt(value, 0, 1000000, &n);
            e.faults.back().times = static_cast<int>(n);
        }
    } else if (name == "late-margin-ms") {
        ok = ParseInt(value, 0, 600000, &n);
        e.faultSettings.lateMarginMs = static_cast<int>(n);
    } else if (name == "split-gap-ms") {
        ok = ParseInt(value, 0, 600000, &n);
        e.faultSettings.splitGapMs = static_cast<int>(n);
    } else if (name == "noise") {
        ok = ParseByteList(value, &e.faultSettings.noise);
    } else if (name == "overrun") {
        ok = ParseInt(value, 1, 30000, &n);
        e.faultSettings.countOverrun = static_cast<int>(n);
    }
    if (!ok)
        *error = "bad value for --" + name + ": " + value;
    return ok;
}

} // namespace

std::string ProgramHelp() {
    QCommandLineParser parser;
    AddOptions(&parser);
    return parser.helpText().toStdString();
}

bool ParseProgramOptions(const QStringList& arguments, ProgramOptions* options,
                         std::string* error) {
    QCommandLineParser parser;
    AddOptions(&parser);
    if (!parser.parse(arguments)) {
        *error = parser.errorText().toStdString() + " (see --help)";
        return false;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *error = "unexpected argument " + parser.positionalArguments().constFirst().toStdString();
        return false;
    }
    options->help = parser.isSet("help");
    options->version = parser.isSet("version");
    options->verbose = parser.isSet("verbose");
    if (parser.isSet("reverse-polarity")) {
        options->engine.ct.polarityPositive = false;
        options->engine.pt.polarityPositive = false;
    }
    // In the order given, since --fault-codes and --fault-times refine the --fault before them.
    QHash<QString, int> seen;
    for (const QString& name : parser.optionNames()) {
        const QStringList values = parser.values(name);
        const int index = seen[name]++;
        if (index < values.size() &&
            !ApplyValue(name.toStdString(), values[index].toStdString(), options, error))
            return false;
    }
    return true;
}

} // namespace sim
