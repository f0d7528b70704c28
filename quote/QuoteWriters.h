#pragma once

// A closing quote written out for the agent or for another program: the
// table for the terminal, one JSON document for closing software, and CSV
// for spreadsheets. The README and the manual page list the JSON keys and
// the CSV columns; other programs read them, so they stay as they are.

#include "engine/Closing.h"

#include <nlohmann/json.hpp>

#include <ostream>

namespace Quote {

// With `explain`, the math of each figure under its line.
void WriteTable(std::ostream& out, const StateCalcs::ClosingRequest& request,
                const StateCalcs::ClosingQuote& quote, bool explain);

// With `explain`, an "explain" array of sentences on each line and on the disclosure.
// The JSON document itself, for a program that writes it inside its own.
nlohmann::ordered_json QuoteJson(const StateCalcs::ClosingRequest& request,
                                 const StateCalcs::ClosingQuote& quote, bool explain);

void WriteJson(std::ostream& out, const StateCalcs::ClosingRequest& request,
               const StateCalcs::ClosingQuote& quote, bool explain);

void WriteCsv(std::ostream& out, const StateCalcs::ClosingQuote& quote);

} // namespace Quote
