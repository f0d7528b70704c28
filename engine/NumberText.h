#pragma once

// How the calculator reads numbers from what the agent typed and writes the
// amounts it shows. US convention: "." is the decimal point, "," groups
// thousands.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace StateCalcs {

// The "Standard" format: "," between thousands, at least one digit before the
// point, exactly two decimals, rounded to the cent with a half going away
// from zero. Below 1e13 the value is taken as it reads to 15 significant
// digits, which clears the binary noise of the arithmetic (276.925 shows as
// 276.93, not 276.92); from 1e13 up the exact value is used, so no cent is
// lost. A value that is not finite has no such text: it comes back empty.
std::string FormatStandard(double value);

// The whole cents of a value as the "Standard" format shows it, or kNoCents:
// from 1e13 up, where cents no longer fit the arithmetic that reads them
// back, and for a value that is not finite. Figures are taken to the cent
// here many times a closing; a plain number comes back in a register.
inline constexpr std::int64_t kNoCents = INT64_MIN;
std::int64_t StandardCentsOrNone(double value);

// The same, with nothing for kNoCents.
inline std::optional<std::int64_t> StandardCents(double value)
{
    const std::int64_t cents = StandardCentsOrNone(value);
    return cents == kNoCents ? std::nullopt : std::optional(cents);
}

// Whole cents in the "Standard" format ("1,234.50"), or plain ("1234.50").
std::string FormatCents(std::int64_t cents, bool grouped = true);

// The same written at the end of `text`, which a report reuses row after row.
void AppendCents(std::string& text, std::int64_t cents, bool grouped = true);

// A text in the "Standard" format if it reads as a number as a whole;
// otherwise the text unchanged.
std::string FormatStandard(std::string_view text);

// The whole text as a number: optional blanks around; digits, with ","
// allowed between digits of the integer part; at most one "."; at least one
// digit; nothing else (no sign, no exponent, no currency sign). The value must
// be finite. Anything else is not a number and gives nothing.
std::optional<double> ParseNumber(std::string_view text);

// The longest beginning of the text made of digits with at most one "." that
// holds at least one digit, as a number; 0 when there is none. Never fails.
double LeadingNumber(std::string_view text);

// True when the text is nothing but digits with at most one "." and holds at
// least one digit: no blanks, no grouping.
bool IsPlainNumber(std::string_view text);

} // namespace StateCalcs
