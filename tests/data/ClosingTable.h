#pragma once

// The shared table of closings (tests/data/closings.json), worked by hand:
// what the agent types and what each line, the totals and the disclosure
// come to, or the refusal and the inputs it names. The engine, tarnwell-quote
// and the closing window are each tested against it.

#include <nlohmann/json.hpp>

#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace closings {

struct Line {
    int catalogueLine; // 1-based, as the catalogue lists it
    std::string code, pricedOn, gross, remit;
};

struct Closing {
    std::string name;
    std::string split, price, loan, priorOwners, priorLoan;
    bool expanded = false;
    std::vector<std::string> endorse; // "9-06", "3:owner"
    bool letter = false;
    bool window = true; // false: the window's controls cannot express it
    // Priced: the lines, the totals, the lender's and owner's disclosed premiums.
    std::vector<Line> lines;
    std::string gross, remit, lenders, owners;
    // Refused: the reason and the inputs named, by the names of ClosingField
    // ("split", "price", "loan", "priorOwners", "priorLoan", "coverage",
    // "endorsements", "letter").
    std::string refused;
    std::vector<std::string> fields;
};

inline std::vector<Closing> Table()
{
    std::ifstream file(TARNWELL_CLOSINGS_TABLE);
    if (!file)
        throw std::runtime_error("cannot read " TARNWELL_CLOSINGS_TABLE);
    const nlohmann::json table = nlohmann::json::parse(file);
    std::vector<Closing> rows;
    for (const nlohmann::json& c : table.at("closings")) {
        Closing row;
        row.name = c.at("name");
        row.split = c.at("split");
        row.price = c.value("price", "");
        row.loan = c.value("loan", "");
        row.priorOwners = c.value("priorOwners", "");
        row.priorLoan = c.value("priorLoan", "");
        row.expanded = c.value("expanded", false);
        row.endorse = c.value("endorse", std::vector<std::string>{});
        row.letter = c.value("letter", false);
        row.window = c.value("window", true);
        for (const nlohmann::json& l : c.value("lines", nlohmann::json::array()))
            row.lines.push_back({l.at(0), l.at(1), l.at(2), l.at(3), l.at(4)});
        row.gross = c.value("gross", "");
        row.remit = c.value("remit", "");
        row.lenders = c.value("lenders", "");
        row.owners = c.value("owners", "");
        row.refused = c.value("refused", "");
        row.fields = c.value("fields", std::vector<std::string>{});
        rows.push_back(std::move(row));
    }
    return rows;
}

// The names of ClosingField in its order.
inline const char* const kFieldNames[] = {"split",     "price",    "loan",         "priorOwners",
                                          "priorLoan", "coverage", "endorsements", "letter"};

} // namespace closings
