#include "engine/NumberText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>

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

// Adds one to the last digit of a string of decimal digits, carrying; a
// carry out of the first digit adds a leading 1.
void IncrementDigits(std::string& digits)
{
    auto i = digits.size();
    while (i > 0 && digits[i - 1] == '9')
        digits[--i] = '0';
    if (i == 0)
        digits.insert(digits.begin(), '1');
    else
        ++digits[i - 1];
}

// The exact decimal expansion of a non-negative double of at least 1e-3:
// its binary fraction ends within 64 decimals. std::to_chars never depends
// on the process locale, unlike printf, which a desktop's decimal comma
// would otherwise reach.
Decimal ExactDecimal(double value)
{
    std::array<char, 400> buffer;
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::fixed, 64);
    const std::string_view text(buffer.data(),
                                static_cast<std::size_t>(result.ptr - buffer.data()));
    const auto point = text.find('.');
    return {std::string(text.substr(0, point)), std::string(text.substr(point + 1))};
}

// A non-negative value as it reads to 15 significant digits, a half going
// up like every other rounding of the format. That clears the binary noise
// of the arithmetic (276.925 is held as 276.92499999999998...).
Decimal FifteenDigitDecimal(Decimal exact)
{
    constexpr std::size_t kSignificant = 15;
    std::string digits = exact.whole + exact.fraction;
    const std::size_t wholeLength = exact.whole.size();
    const auto first = digits.find_first_not_of('0');
    if (first == std::string::npos || first + kSignificant >= digits.size())
        return exact;
    const std::size_t cut = first + kSignificant;
    const bool up = digits[cut] >= '5';
    digits.resize(cut);
    if (up)
        IncrementDigits(digits);
    // A carry may have made the number one digit longer.
    const std::size_t whole = wholeLength + (digits.size() > cut ? 1 : 0);
    digits.resize(std::max(digits.size(), whole), '0');
    return {digits.substr(0, whole), digits.substr(whole)};
}

// Whole cents of a value from 1e-3 to 1e13, as the format rounds it (to
// fifteen digits, then to the cent, each a half going up), read off the
// seventeen digits std::to_chars gives correctly rounded: they settle the
// first rounding unless they end in "50", where only the exact value tells a
// half from a little less or more, and nothing is given.
std::optional<std::int64_t> QuickCents(double value)
{
    constexpr int kSignificant = 15;
    std::array<char, 40> buffer;
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::scientific, 16);
    // "d.dddddddddddddddde+XX"
    const std::string_view text(buffer.data(),
                                static_cast<std::size_t>(result.ptr - buffer.data()));
    if (text[16] == '5' && text[17] == '0')
        return std::nullopt;
    std::int64_t digits = text[0] - '0'; // the first fifteen digits
    for (std::size_t i = 2; i < 16; ++i)
        digits = digits * 10 + (text[i] - '0');
    int exponent = 0;
    std::from_chars(text.data() + 20, text.data() + text.size(), exponent);
    if (text[19] == '-')
        exponent = -exponent;
    if (text[16] >= '5')
        ++digits; // 999... becoming 1000... keeps its value
    // The fifteen digits are the value in units of 10^(exponent - 14); in
    // cents that is a division by 10^(12 - exponent).
    std::int64_t divisor = 1;
    for (int i = exponent; i < kSignificant - 3; ++i)
        divisor *= 10;
    return (digits + divisor / 2) / divisor;
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
    IncrementDigits(digits);
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

std::optional<std::int64_t> StandardCents(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double magnitude = std::fabs(value);
    if (magnitude < 1e-3)
        return 0; // far below a cent, nothing can round up to one
    if (magnitude >= 1e13)
        return std::nullopt;
    std::optional<std::int64_t> cents = QuickCents(magnitude);
    if (!cents) {
        const Decimal d = RoundToCents(FifteenDigitDecimal(ExactDecimal(magnitude)));
        std::int64_t whole = 0;
        std::from_chars(d.whole.data(), d.whole.data() + d.whole.size(), whole);
        cents = whole * 100 + (d.fraction[0] - '0') * 10 + (d.fraction[1] - '0');
    }
    return value < 0 ? -*cents : *cents;
}

std::string FormatStandard(double value)
{
    if (!std::isfinite(value))
        return {};
    if (const auto cents = StandardCents(value))
        return FormatCents(*cents);
    // From 1e13 up fifteen digits no longer reach the cents: the exact value is used.
    const Decimal d = RoundToCents(ExactDecimal(std::fabs(value)));
    std::string text = GroupThousands(d.whole) + '.' + d.fraction;
    if (value < 0)
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

std::string FormatCents(std::int64_t cents, bool grouped)
{
    const bool negative = cents < 0;
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(cents)
                                             : static_cast<std::uint64_t>(cents);
    std::array<char, 24> whole;
    const auto end = std::to_chars(whole.data(), whole.data() + whole.size(), magnitude / 100).ptr;
    const auto length = static_cast<std::size_t>(end - whole.data());
    std::string text = negative ? "-" : "";
    text.reserve(length + length / 3 + 4);
    for (std::size_t i = 0; i < length; ++i) {
        if (grouped && i > 0 && (length - i) % 3 == 0)
            text += ',';
        text += whole[i];
    }
    const auto fraction = static_cast<char>(magnitude % 100);
    text += '.';
    text += static_cast<char>('0' + fraction / 10);
    text += static_cast<char>('0' + fraction % 10);
    return text;
}

} // namespace StateCalcs
