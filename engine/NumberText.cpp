#include "engine/NumberText.h"

#include <algorithm>
#include <array>
#include <bit>
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

// The exact value of a double from 1e-3 to 1e13 is its 53-bit significand
// over 2^shift, with the shift from 9 to 62, and its fifteen digits are that
// times a power of ten up to 10^17: all whole numbers below 2^128, worked
// without a digit of text. GCC and Clang have the 128-bit integer as an
// extension.
__extension__ using UInt128 = unsigned __int128;

constexpr std::array<std::uint64_t, 18> kPowersOfTen = [] {
    std::array<std::uint64_t, 18> powers{};
    std::uint64_t power = 1;
    for (auto& p : powers) {
        p = power;
        power *= 10;
    }
    return powers;
}();

// 10^-3 to 10^13 as doubles. Those below 1 are held a little above the true
// power, and no double lies between the two, so comparing with them tells
// the exponent of every double exactly.
constexpr std::array<double, 17> kDecades{1e-3, 1e-2, 1e-1, 1e0, 1e1,  1e2,  1e3,  1e4, 1e5,
                                          1e6,  1e7,  1e8,  1e9, 1e10, 1e11, 1e12, 1e13};

// Whole cents of a value from 1e-3 to 1e13 as the format rounds it: to
// fifteen significant digits, then to the cent, each a half going up, on the
// exact value of the double. The fifteen digits clear the binary noise of
// the arithmetic (276.925 is held as 276.92499999999998...) yet keep a
// typed 1.005, held as 1.00499999999999989..., showing 1.01.
std::int64_t ExactCents(double value)
{
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const int biased = static_cast<int>(bits >> 52);
    const std::uint64_t significand = (bits & ((std::uint64_t(1) << 52) - 1))
                                      | (std::uint64_t(1) << 52);
    const int shift = 1075 - biased; // value = significand / 2^shift
    // The decimal exponent: 10^exponent <= value < 10^(exponent + 1). That of
    // the power of two below the value (1233 / 4096 is log10(2) closely
    // enough for these powers) is the same or one less.
    int exponent = ((biased - 1023) * 1233) >> 12;
    if (value >= kDecades[static_cast<std::size_t>(exponent + 4)])
        ++exponent;
    // The first fifteen digits, the next ones rounded in, a half going up.
    const UInt128 scaled = UInt128(significand)
                           * kPowersOfTen[static_cast<std::size_t>(14 - exponent)];
    const auto digits = static_cast<std::uint64_t>((scaled + (UInt128(1) << (shift - 1))) >> shift);
    // They count units of 10^(exponent - 14); a cent is 10^(12 - exponent) of them.
    const std::uint64_t cent = kPowersOfTen[static_cast<std::size_t>(12 - exponent)];
    return static_cast<std::int64_t>((digits + cent / 2) / cent);
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

std::int64_t StandardCentsOrNone(double value)
{
    if (!std::isfinite(value))
        return kNoCents;
    const double magnitude = std::fabs(value);
    if (magnitude < 1e-3)
        return 0; // far below a cent, nothing can round up to one
    if (magnitude >= 1e13)
        return kNoCents;
    // A value whose hundredfold comes out a whole number n (every amount
    // typed to the cent) is off n cents by no more than that multiplication
    // rounded, a part in 10^16: the fifteen digits round it away, and n cents
    // are a whole number of their last digit.
    const double hundredfold = magnitude * 100;
    const auto whole = static_cast<std::int64_t>(hundredfold);
    const std::int64_t cents = static_cast<double>(whole) == hundredfold ? whole
                                                                         : ExactCents(magnitude);
    return value < 0 ? -cents : cents;
}

std::string FormatStandard(double value)
{
    if (!std::isfinite(value))
        return {};
    if (const std::int64_t cents = StandardCentsOrNone(value); cents != kNoCents)
        return FormatCents(cents);
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
    std::string text;
    AppendCents(text, cents, grouped);
    return text;
}

void AppendCents(std::string& text, std::int64_t cents, bool grouped)
{
    // Two digits at a time, from a table of "00" to "99".
    static constexpr auto kPairs = [] {
        std::array<char, 200> pairs{};
        for (std::size_t i = 0; i < 100; ++i) {
            pairs[2 * i] = static_cast<char>('0' + i / 10);
            pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
        }
        return pairs;
    }();
    const bool negative = cents < 0;
    std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(cents)
                                       : static_cast<std::uint64_t>(cents);
    // Written from the right into a buffer, then copied once: the cents, the
    // point, the whole digits in groups of three with "," between them.
    std::array<char, 32> buffer;
    char* const end = buffer.data() + buffer.size();
    char* at = end - 3;
    std::copy_n(&kPairs[2 * (magnitude % 100)], 2, at + 1);
    *at = '.';
    magnitude /= 100;
    while (magnitude >= 1000) {
        const std::uint64_t group = magnitude % 1000;
        magnitude /= 1000;
        at -= 3;
        at[0] = static_cast<char>('0' + group / 100);
        std::copy_n(&kPairs[2 * (group % 100)], 2, at + 1);
        if (grouped)
            *--at = ',';
    }
    // The first group: one to three digits.
    do {
        *--at = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude > 0);
    if (negative)
        *--at = '-';
    text.append(at, end);
}

} // namespace StateCalcs
