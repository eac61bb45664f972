#pragma once
#include "engine.h"

#include <QStringList>

#include <string>
#include <vector>

namespace sim {

// The options of the tarvex-sim program.
struct ProgramOptions {
    std::string port = "COM1"; // the link's name in the port folder
    int fixedBaud = 0;         // pacing baud rate; 0 follows the rate the program sets on the line
    bool verbose = false;      // also log raw reads and writes and baud changes
    bool help = false;
    bool version = false;
    EngineOptions engine;
};

// Parses the command line, the program's name first ("--name value" or "--name=value"). false
// with *error on a bad option.
bool ParseProgramOptions(const QStringList& arguments, ProgramOptions* options, std::string* error);

// The --help text, explaining every option and its default.
std::string ProgramHelp();

} // namespace sim
