#include "faults.h"

#include <array>
#include <utility>

namespace sim {

namespace {

constexpr std::array<std::pair<Fault, const char*>, 8> kNames{{
    {Fault::None, "none"},
    {Fault::NoReply, "no-reply"},
    {Fault::LateReply, "late"},
    {Fault::CutShort, "cut"},
    {Fault::Split, "split"},
    {Fault::Noise, "noise"},
    {Fault::WrongTrailer, "trailer"},
    {Fault::CountOverrun, "overrun"},
}};

} // namespace

const char* FaultName(Fault fault) {
    for (const auto& [f, name] : kNames)
        if (f == fault)
            return name;
    return "none";
}

std::optional<Fault> FaultFromName(std::string_view name) {
    for (const auto& [f, n] : kNames)
        if (name == n)
            return f;
    return std::nullopt;
}

} // namespace sim
