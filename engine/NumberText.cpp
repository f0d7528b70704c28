#include "engine/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

namespace StateCalcs {
namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A non-negative decimal number as its integer and fraction digits.
struct Decimal {
    std::string whole;
    std::string fraction;
};

// The exact decimal expansion of a non-negative double: glibc prints every
// digit of the binary value when asked for enough of them.
Decimal ExactDecimal(double value)
{
    std::vector<char> buffer(400);
    int n = std::snprintf(buffer.data(), buffer.size(), "%.64f", value);
    if (n >= static_cast<int>(buffer.size())) {
        buffer.resize(static_cast<std::size_t>(n) + 1);
        n = std::snprintf(buffer.data(), buffer.size(), "%.64f", value);
    }
    const std::string text(buffer.data(), static_cast<std::size_t>(n));
    const auto point = text.find('.');
    return {text.substr(0, point), text.substr(point + 1)};
}

// A non-negative double as it reads to 15 significant digits.
Decimal FifteenDigitDecimal(double value)
{
    char buffer[40];
    const int n = std::snprintf(buffer, sizeof buffer, "%.14e", value);
    const std::string text(buffer, static_cast<std::size_t>(n));
    const auto e = text.find('e');
    std::string digits = text.substr(0, 1) + text.substr(2, e - 2); // 15 digits
    const int exponent = std::stoi(text.substr(e + 1));
    // The point stands after digit number exponent + 1.
    const int pointAt = exponent + 1;
    if (pointAt <= 0)
        return {"0", std::string(static_cast<std::size_t>(-pointAt), '0') + digits};
    if (pointAt >= static_cast<int>(digits.size()))
        return {digits + std::string(static_cast<std::size_t>(pointAt) - digits.size(), '0'), ""};
    return {digits.substr(0, static_cast<std::size_t>(pointAt)),
            digits.substr(static_cast<std::size_t>(pointAt))};
}

// Rounds to two decimals, a half going up (the value is non-negative).
Decimal RoundToCents(Decimal d)
{
    d.fraction.resize(std::max<std::size_t>(d.fraction.size(), 3), '0');
    const bool up = d.fraction[2] >= '5';
    d.fraction.resize(2);
    if (!up)
        return d;
    std::string digits = d.whole + d.fraction;
    int i = static_cast<int>(digits.size()) - 1;
    while (i >= 0 && digits[static_cast<std::size_t>(i)] == '9') {
        digits[static_cast<std::size_t>(i)] = '0';
        --i;
    }
    if (i < 0)
        digits.insert(digits.begin(), '1');
    else
        ++digits[static_cast<std::size_t>(i)];
    return {digits.substr(0, digits.size() - 2), digits.substr(digits.size() - 2)};
}

std::string GroupThousands(const std::string& whole)
{
    const auto first = whole.find_first_not_of('0');
    const std::string digits = first == std::string::npos ? "0" : whole.substr(first);
    std::string out;
    out.reserve(digits.size() + digits.size() / 3);
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += ',';
        out += digits[i];
    }
    return out;
}

std::string_view TrimBlanks(std::string_view text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

} // namespace

std::string FormatStandard(double value)
{
    if (!std::isfinite(value))
        return {};
    const double magnitude = std::fabs(value);
    Decimal d = RoundToCents(magnitude < 1e13 ? FifteenDigitDecimal(magnitude)
                                              : ExactDecimal(magnitude));
    std::string text = GroupThousands(d.whole) + '.' + d.fraction;
    if (value < 0 && text != "0.00")
        text.insert(text.begin(), '-');
    return text;
}

std::string FormatStandard(std::string_view text)
{
    if (const auto value = ParseNumber(text))
        return FormatStandard(*value);
    return std::string(text);
}

std::optional<double> ParseNumber(std::string_view text)
{
    text = TrimBlanks(text);
    std::string digits;
    bool seenPoint = false;
    bool seenDigit = false;
    bool nonZeroWhole = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (IsDigit(c)) {
            seenDigit = true;
            if (!seenPoint && c != '0')
                nonZeroWhole = true;
            digits += c;
        } else if (c == '.' && !seenPoint) {
            seenPoint = true;
            digits += c;
        } else if (c == ',' && !seenPoint && i > 0 && IsDigit(text[i - 1]) && i + 1 < text.size()
                   && IsDigit(text[i + 1])) {
            // a group separator between digits of the integer part
        } else {
            return std::nullopt;
        }
    }
    if (!seenDigit)
        return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error == std::errc::result_out_of_range) {
        // Too small for a double reads as zero; too large is not a number.
        if (nonZeroWhole)
            return std::nullopt;
        return 0.0;
    }
    if (error != std::errc() || end != digits.data() + digits.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

double LeadingNumber(std::string_view text)
{
    std::size_t end = 0;
    bool seenPoint = false;
    while (end < text.size() && (IsDigit(text[end]) || (text[end] == '.' && !seenPoint))) {
        seenPoint = seenPoint || text[end] == '.';
        ++end;
    }
    return ParseNumber(text.substr(0, end)).value_or(0.0);
}

bool IsPlainNumber(std::string_view text)
{
    bool seenPoint = false;
    bool seenDigit = false;
    for (const char c : text) {
        if (IsDigit(c))
            seenDigit = true;
        else if (c == '.' && !seenPoint)
            seenPoint = true;
        else
            return false;
    }
    return seenDigit;
}

} // namespace StateCalcs
