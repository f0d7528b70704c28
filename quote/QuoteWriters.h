#pragma once

// A closing quote written out for the agent or for another program: the
// table for the terminal, one JSON document for closing software, and CSV
// for spreadsheets. The README and the manual page list the JSON keys and
// the CSV columns; other programs read them, so they stay as they are.

#include "engine/Closing.h"

#include <nlohmann/json.hpp>

#include <ostream>

namespace Quote {

// Who a quote is for. The agency sees its premium split and what it remits
// to its underwriter; a buyer or a lender sees neither: the table has no
// Remit column and no split, the JSON no "split" and "remit" keys, the CSV no
// remit column, the math no remittance.
enum class Audience { Agency, Customer };

// With `explain`, the math of each figure under its line.
void WriteTable(std::ostream& out, const StateCalcs::ClosingRequest& request,
                const StateCalcs::ClosingQuote& quote, bool explain,
                Audience audience = Audience::Agency);

// With `explain`, an "explain" array of sentences on each line and on the disclosure.
// QuoteJson gives the document, for a program that writes it inside its own.
nlohmann::ordered_json QuoteJson(const StateCalcs::ClosingRequest& request,
                                 const StateCalcs::ClosingQuote& quote, bool explain,
                                 Audience audience = Audience::Agency);
void WriteJson(std::ostream& out, const StateCalcs::ClosingRequest& request,
               const StateCalcs::ClosingQuote& quote, bool explain,
               Audience audience = Audience::Agency);

void WriteCsv(std::ostream& out, const StateCalcs::ClosingQuote& quote,
              Audience audience = Audience::Agency);

} // namespace Quote
