#include "engine/NumberText.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include <limits>
#include <optional>
#include <string>
#include <tuple>
#include <utility>

namespace StateCalcs {
namespace {

// "," between thousands, two decimals, a half cent going up; below 1e13 the value as it
// reads to 15 digits, from 1e13 up the exact value; nothing when not finite.
TEST(FormatStandard, ShowsTwoDecimalsWithThousandsSeparators)
{
    const double infinity = std::numeric_limits<double>::infinity();
    // clang-format off
    const std::pair<double, const char*> values[] = {
        {0.0, "0.00"}, {1'234'567.891, "1,234,567.89"}, {276.925, "276.93"}, {1.005, "1.01"},
        {0.125, "0.13"}, {4.375, "4.38"}, {55.385, "55.39"}, {0.1 + 0.2, "0.30"},
        {999.995, "1,000.00"}, {12'345'678'901'234.56, "12,345,678,901,234.56"},
        {1e20, "100,000,000,000,000,000,000.00"}, {1e-3, "0.00"}, {-0.004, "0.00"},
        // Exact halves round up at every size, below and above 1e13.
        {1'000'000'000'000.125, "1,000,000,000,000.13"}, {1'000'000'000'000.625, "1,000,000,000,000.63"},
        {9'999'999'999.995, "10,000,000,000.00"}, {10'000'000'000'000.125, "10,000,000,000,000.13"},
        {infinity, ""}, {std::numeric_limits<double>::quiet_NaN(), ""}};
    // A typed text is rewritten only if it reads as a number.
    const std::pair<const char*, const char*> texts[] = {
        {" 7 ", "7.00"}, {"1,000.5", "1,000.50"}, {"N/A", "N/A"}, {"12..", "12.."}, {".", "."}};
    // clang-format on
    for (const auto& [value, text] : values)
        EXPECT_EQ(FormatStandard(value), text) << value;
    for (const auto& [text, shown] : texts)
        EXPECT_EQ(FormatStandard(std::string_view(text)), shown) << '"' << text << '"';
}

// Each text as the three readers take it: ParseNumber (the whole text, blanks
// around, "," between integer digits, no sign, exponent or symbol; finite),
// LeadingNumber (the longest number at the start, else 0) and IsPlainNumber.
using ReadRow = std::tuple<std::string, std::optional<double>, double, bool>;

const std::string kZeros(400, '0');

// clang-format off
const ReadRow kReads[] = {
    {"15", 15, 15, true}, {"0", 0, 0, true}, {"12.5", 12.5, 12.5, true}, {".5", 0.5, 0.5, true},
    {"5.", 5, 5, true}, {"9.99", 9.99, 9.99, true}, {" 15 ", 15, 0, false},
    {"1,000", 1'000, 1, false}, {"1,000.50", 1'000.5, 1, false}, {"1,00", 100, 1, false},
    {"", {}, 0, false}, {" ", {}, 0, false}, {".", {}, 0, false}, {"1.2.3", {}, 1.2, false},
    {"12..", {}, 12, false}, {"12.3.", {}, 12.3, false}, {"-5", {}, 0, false}, {"+5", {}, 0, false},
    {"1e5", {}, 1, false}, {"$5", {}, 0, false}, {",5", {}, 0, false}, {"5,", {}, 5, false},
    {"15,0", 150, 15, false}, {"1,,0", {}, 1, false}, {"1.000,5", {}, 1, false},
    {"abc", {}, 0, false}, {".5x", {}, 0.5, false}, {"1 000", {}, 1, false},
    {"1" + kZeros.substr(100), 1e300, 1e300, true}, {"0." + kZeros + "1", 0.0, 0, true},
    {"1" + kZeros, {}, 0, true}, // too large for a double
};
// clang-format on

TEST(ReadText, ReadsAsParseLeadingAndPlainNumber)
{
    for (const auto& [text, whole, leading, plain] : kReads) {
        EXPECT_EQ(ParseNumber(text), whole) << '"' << text << '"';
        EXPECT_EQ(LeadingNumber(text), leading) << '"' << text << '"';
        EXPECT_EQ(IsPlainNumber(text), plain) << '"' << text << '"';
    }
}

// A desktop with a decimal comma (the C library's numeric locale, which Qt
// applies) must not change a figure. The locale is built for the test, so it
// never depends on what the machine has installed.
TEST(NumberTextLocale, DecimalCommaDesktopChangesNothing)
{
    std::string folder
        = (std::filesystem::temp_directory_path() / "tarnwell-locale-XXXXXX").string();
    ASSERT_NE(mkdtemp(folder.data()), nullptr);
    const std::filesystem::path dir = folder;
    const std::string build = "localedef -i de_DE -f UTF-8 '" + (dir / "de_DE.UTF-8").string()
                              + "' >/dev/null 2>&1";
    (void)std::system(build.c_str());
    setenv("LOCPATH", dir.c_str(), 1);
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr) << "could not build de_DE.UTF-8";
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    EXPECT_STREQ(probe, "1,5") << "the locale has no decimal comma";
    const std::string tenTrillion = FormatStandard(10'000'000'000'000.0);
    const std::string small = FormatStandard(276.925);
    const auto read = ParseNumber("1,000.50");
    std::setlocale(LC_ALL, "C");
    std::filesystem::remove_all(dir);
    EXPECT_EQ(tenTrillion, "10,000,000,000,000.00");
    EXPECT_EQ(small, "276.93");
    EXPECT_EQ(read, 1'000.5);
}

} // namespace
} // namespace StateCalcs
