#pragma once

// A closing as the agent writes it down, on the command line or in a row of
// a batch file, read into the engine's ClosingRequest with the engine's own
// readers. What cannot be read is reported against the input it came from,
// so that each front end can name its option or its column.

#include "engine/Closing.h"

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace Quote {

struct ClosingTexts {
    std::string split;
    std::optional<std::string> price, loan, priorOwners, priorLoan; // absent: none
    std::optional<std::string> coverage;                            // absent: standard
    std::vector<std::string> endorsements;                          // "8.1", "3.1:loan"
    bool closingProtectionLetter = false;
};

struct InputError {
    StateCalcs::ClosingField field;
    std::string text;   // what was given
    std::string reason; // one line, naming no option or column
};

std::variant<StateCalcs::ClosingRequest, InputError> ReadClosing(const ClosingTexts& texts);

// "standard" or "expanded", in any case.
std::optional<StateCalcs::Coverage> ReadCoverage(std::string_view text);

// Words the agent types are taken in any case: "Expanded", "YES".
std::string LowerCase(std::string_view text);

// A message on one line: a typed text or a cell may hold line breaks.
std::string OneLine(std::string text);

std::string_view CoverageWord(StateCalcs::Coverage coverage);
std::string_view PolicyWord(StateCalcs::Policy policy); // "owner", "loan", as --endorse takes them

} // namespace Quote
