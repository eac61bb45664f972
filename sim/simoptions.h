#pragma once
#include "engine.h"

#include <string>
#include <vector>

namespace sim {

// The options of the tarvex-sim program.
struct ProgramOptions {
    std::string port = "COM1"; // the link's name in the port folder
    int fixedBaud = 0;         // pacing baud rate; 0 follows the rate the program sets on the line
    bool verbose = false;      // also log raw reads and writes and baud changes
    bool help = false;
    EngineOptions engine;
};

// Parses argv[1..argc) ("--name value" or "--name=value"). false with *error on a bad option.
bool ParseProgramOptions(int argc, const char* const* argv, ProgramOptions* options,
                         std::string* error);

// The --help text, explaining every option and its default.
std::string ProgramHelp();

} // namespace sim
