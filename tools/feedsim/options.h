#pragma once

#include "schedule.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace tandor28::feedsim {

// How the server answers; the misbehaviour part can be changed while it runs.
struct Behaviour
{
    int delayMs = 0;
    bool garbage = false;
    int status = 200;
    int records = 120;
    bool cut = false;
    int padBytes = 0; // feed bodies filled up with blank lines to this size
    bool down = false;
    bool lucky = true;
    bool canada = true;
    int lagSeconds = 0;
    std::string version = "1.4.0";
    bool withLuckyEndpoint = true;
    std::optional<LocalTime> fixedNow;
    bool variedKenoForms = false; // the Keno bodies in the other forms the results service publishes
};

struct Options
{
    int port = 8828;
    std::uint64_t seed = 28;
    Behaviour behaviour;
    bool help = false;
};

struct ParseResult
{
    std::optional<Options> options;
    std::string error;
};

[[nodiscard]] ParseResult parseOptions(int argc, char** argv);
// Applies "name=value" settings of the control route onto a copy; an error text names the first bad one.
[[nodiscard]] std::string applyControl(Behaviour& behaviour, const std::multimap<std::string, std::string>& params,
                                       const Behaviour& startBehaviour);
[[nodiscard]] std::string describeBehaviour(const Behaviour& behaviour);
[[nodiscard]] const char* helpText();

} // namespace tandor28::feedsim
