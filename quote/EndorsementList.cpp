#include "quote/EndorsementList.h"

#include "engine/Catalogue.h"
#include "engine/Closing.h"
#include "engine/NumberText.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <string>

namespace Quote {

using namespace StateCalcs;

namespace {

// The zoning endorsements are priced on the policy they are on.
std::string ZoningRule()
{
    return "a tenth of the endorsed policy's charge, at least " + FormatStandard(kZoningMinimum);
}

std::string Title(const EndorsementLine& line)
{
    std::string title(line.title);
    if (!line.also.empty())
        title += " (form " + std::string(line.also) + ")";
    return title;
}

// The charge as the agent sees it: a figure, "No Charge", or nothing for a
// charge that depends on the policy.
std::optional<std::string> ChargeOf(const EndorsementLine& line)
{
    if (ClassOf(line.code) == EntryClass::NoCharge)
        return "No Charge";
    if (const auto fixed = FixedCharge(line.code))
        return FormatStandard(*fixed);
    return std::nullopt;
}

std::string Padded(std::string text, std::size_t width)
{
    text.resize(std::max(text.size(), width), ' ');
    return text;
}

} // namespace

void WriteEndorsementTable(std::ostream& out)
{
    std::size_t titleWidth = 0;
    for (const EndorsementLine& line : EndorsementLines())
        titleWidth = std::max(titleWidth, Title(line).size());
    constexpr std::size_t kChargeWidth = 9; // "No Charge", "1,000.00"
    out << Padded("Form", 9) << "Line  " << Padded("Title", titleWidth + 2) << "Charge\n";
    for (const EndorsementLine& line : EndorsementLines()) {
        const auto charge = ChargeOf(line);
        std::string number = std::to_string(line.entry + 1);
        out << Padded(std::string(line.form), 9) << std::string(4 - number.size(), ' ') << number
            << "  " << Padded(Title(line), titleWidth + 2)
            << (charge ? std::string(kChargeWidth - std::min(kChargeWidth, charge->size()), ' ')
                             + *charge
                       : ZoningRule())
            << '\n';
    }
}

void WriteEndorsementJson(std::ostream& out)
{
    using Json = nlohmann::ordered_json;
    Json list = Json::array();
    for (const EndorsementLine& line : EndorsementLines()) {
        const auto charge = ChargeOf(line);
        const auto fixed = FixedCharge(line.code);
        Json item{{"form", line.form},
                  {"also", line.also.empty() ? Json(nullptr) : Json(line.also)},
                  {"line", line.entry + 1},
                  {"code", line.code},
                  {"title", line.title}};
        item["charge"] = charge
                             ? Json{{"text", *charge}, {"cents", fixed ? CentsAsShown(*fixed) : 0}}
                             : Json(nullptr);
        item["rule"] = charge ? Json(nullptr) : Json(ZoningRule());
        list.push_back(std::move(item));
    }
    out << Json{{"endorsements", list}}.dump(2) << '\n';
}

} // namespace Quote
