#include "engine/Closing.h"

#include "../data/ClosingTable.h"
#include "engine/Catalogue.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace StateCalcs {
namespace {

EndorsementRequest Endorse(const char* text)
{
    const auto read = ReadEndorsement(text);
    EXPECT_TRUE(read.value.has_value()) << text << ": " << read.error;
    return read.value.value_or(EndorsementRequest{});
}

// The closing as the agent typed it, read as the programs read it.
ClosingRequest RequestOf(const closings::Closing& row)
{
    const auto amount = [](const std::string& text) {
        return text.empty() ? std::nullopt : ReadClosingAmount(text).value;
    };
    ClosingRequest request;
    request.splitPercent = ReadSplit(row.split).value.value_or(0);
    request.price = amount(row.price);
    request.loan = amount(row.loan);
    request.priorOwners = amount(row.priorOwners);
    request.priorLoan = amount(row.priorLoan);
    request.coverage = row.expanded ? Coverage::Expanded : Coverage::Standard;
    for (const std::string& form : row.endorse)
        request.endorsements.push_back(Endorse(form.c_str()));
    request.closingProtectionLetter = row.letter;
    return request;
}

// "Liability 250,000.00; Prior Policy Liability 100,000.00", then the
// policy an endorsement is on, as the programs show the amounts priced on.
std::string PricedOnShown(const QuotedLine& line)
{
    std::string text;
    for (const PricedOn& on : line.pricedOn)
        text += (text.empty() ? "" : "; ") + std::string(on.name) + ' '
                + FormatCents(std::llround(on.amount * 100));
    if (line.role == LineRole::Endorsement && line.policy)
        text += (text.empty() ? "" : ", ")
                + std::string(*line.policy == Policy::Owners ? "owner's policy" : "loan policy");
    return text;
}

TEST(Closing, EveryClosingOfTheTableIsPricedOrRefusedAsWorkedByHand)
{
    for (const closings::Closing& row : closings::Table()) {
        SCOPED_TRACE(row.name);
        const ClosingOutcome outcome = QuoteClosing(RequestOf(row));
        if (!row.refused.empty()) {
            ASSERT_FALSE(outcome.quote.has_value());
            EXPECT_EQ(outcome.refusal.reason, row.refused);
            std::vector<std::string> fields;
            for (const ClosingField field : outcome.refusal.fields)
                fields.push_back(closings::kFieldNames[static_cast<int>(field)]);
            EXPECT_EQ(fields, row.fields);
            continue;
        }
        ASSERT_TRUE(outcome.quote.has_value()) << outcome.refusal.reason;
        const ClosingQuote& quote = *outcome.quote;
        ASSERT_EQ(quote.lines.size(), row.lines.size());
        for (std::size_t i = 0; i < row.lines.size(); ++i) {
            const QuotedLine& line = quote.lines[i];
            const closings::Line& want = row.lines[i];
            EXPECT_EQ(line.entry + 1, static_cast<std::size_t>(want.catalogueLine)) << i;
            EXPECT_EQ(line.code, want.code) << i;
            EXPECT_EQ(PricedOnShown(line), want.pricedOn) << i;
            EXPECT_EQ(line.grossText, want.gross) << i;
            EXPECT_EQ(line.remitText, want.remit) << i;
            EXPECT_EQ(FormatCents(line.grossCents),
                      want.gross == "No Charge" ? "0.00" : want.gross);
            EXPECT_EQ(FormatCents(line.remitCents), want.remit);
        }
        EXPECT_EQ(FormatCents(quote.grossCents), row.gross);
        EXPECT_EQ(FormatCents(quote.remitCents), row.remit);
        EXPECT_EQ(FormatCents(quote.trid.lendersDisclosedCents), row.lenders);
        EXPECT_EQ(FormatCents(quote.trid.ownersDisclosedCents), row.owners);
        EXPECT_EQ(quote.trid.disclosedCents, quote.grossCents);
    }
    // What the readers keep from the engine: a split out of its range, a line
    // that is no endorsement.
    ClosingRequest request{9.99, 1, {}, {}, {}, Coverage::Standard, {}, false};
    EXPECT_EQ(QuoteClosing(request).refusal.fields, std::vector{ClosingField::Split});
    request.splitPercent = 70.01;
    EXPECT_EQ(QuoteClosing(request).refusal.fields, std::vector{ClosingField::Split});
    request.splitPercent = 70;
    request.endorsements = {EndorsementRequest{10, {}}};
    EXPECT_EQ(QuoteClosing(request).refusal.fields, std::vector{ClosingField::Endorsements});
}

// The disclosure itemised: each row "section name disclosed", L for Loan
// Costs, O for Other Costs, E for endorsements to an existing policy, and
// its note in brackets; the rows add up to the Gross.
struct TridRowsCase {
    const char* name;
    ClosingRequest request;
    std::vector<std::string> rows;
};

// A report prices closing after closing into one quote: each comes out as
// worked by hand whatever the quote held before. The table is gone through
// forwards and then backwards, so that each closing follows others.
TEST(Closing, AQuoteKeptFromClosingToClosingHoldsOnlyTheLast)
{
    const std::vector<closings::Closing> table = closings::Table();
    ClosingQuote quote;
    ClosingRefusal refusal;
    for (std::size_t n = 0; n < 2 * table.size(); ++n) {
        const closings::Closing& row = table[n < table.size() ? n : 2 * table.size() - 1 - n];
        SCOPED_TRACE(row.name);
        const bool priced = QuoteClosing(RequestOf(row), QuoteDetail::Full, quote, refusal);
        ASSERT_EQ(priced, row.refused.empty());
        if (!priced) {
            EXPECT_EQ(refusal.reason, row.refused);
            continue;
        }
        ASSERT_EQ(quote.lines.size(), row.lines.size());
        for (std::size_t i = 0; i < row.lines.size(); ++i) {
            EXPECT_EQ(quote.lines[i].code, row.lines[i].code) << i;
            EXPECT_EQ(PricedOnShown(quote.lines[i]), row.lines[i].pricedOn) << i;
            EXPECT_EQ(quote.lines[i].remitText, row.lines[i].remit) << i;
        }
        EXPECT_EQ(FormatCents(quote.grossCents), row.gross);
        EXPECT_EQ(FormatCents(quote.remitCents), row.remit);
        EXPECT_EQ(FormatCents(quote.trid.lendersDisclosedCents), row.lenders);
        EXPECT_EQ(FormatCents(quote.trid.ownersDisclosedCents), row.owners);
        EXPECT_EQ(quote.trid.disclosedCents, quote.grossCents);
    }
    // No line is priced on more than two amounts.
    PricedOnAmounts amounts{{"Liability", 1}, {"Prior Policy Liability", 2}};
    EXPECT_THROW(amounts.push_back({"Liability", 3}), std::length_error);
}

TEST(Closing, TheDisclosureItemisesEveryLineUnderItsPolicy)
{
    using C = Coverage;
    const std::string byDefault
        = " [no policy was named: shown under the lender's title insurance]";
    // clang-format off
    const TridRowsCase cases[] = {
        // 650 + 35 charged; disclosed 425.00 and 650 + 35 − 425 = 260.00. ALTA
        // 7.1-06 is a loan form, 9.1-06 an owner's; 8.1 is named on neither.
        {"Purchase", {15, 250'000, 200'000, {}, {}, C::Standard,
                      {Endorse("8.1"), Endorse("9:owner"), Endorse("7.1"), Endorse("9.1")}, true},
         {"L Title – Lender's Title Insurance 425.00",
          "L Title – ALTA 8.1-06 Environmental Protection Lien 0.00" + byDefault,
          "L Title – ALTA 7.1-06 Manufactured Housing-Conversion: Loan 50.00",
          "L Title – Closing Protection Letter 25.00",
          "O Title – Owner's Title Insurance (optional) 260.00",
          "O Title – ALTA 9-06 Restrictions, Encroachments, Minerals 50.00",
          "O Title – ALTA 9.1-06 REM - Owners Policy - Unimproved Lands 50.00"}},
        // No loan: the letter follows the owner's rows; a loan form sits on
        // the only policy, saying so (code 525, a fixed 25.00).
        {"OwnersOnly", {15, 250'000, {}, {}, {}, C::Standard, {Endorse("13.1")}, true},
         {"O Title – Owner's Title Insurance (optional) 650.00",
          "O Title – ALTA 13.1-06 Leasehold Loan 25.00 [the form is written for the loan policy, which this closing has not]",
          "O Title – Closing Protection Letter 25.00"}},
        {"Refinance", {20, {}, 300'000, {}, 200'000, C::Standard, {Endorse("9.2")}, true},
         {"L Title – Lender's Title Insurance 430.00",
          "L Title – ALTA 9.2-06 REM - Owners Policy - Improved Lands 50.00 [the form is written for the owner's policy, which this closing has not]",
          "L Title – Closing Protection Letter 25.00"}},
        {"NoPolicy", {15, {}, {}, {}, {}, C::Standard, {Endorse("11"), Endorse("14.1")}, true},
         {"E Title – ALTA 11-06 Mortgage Modification 50.00",
          "E Title – ALTA 1.1-06 Future Advance-Knowledge 50.00",
          "E Title – Closing Protection Letter 25.00"}},
        // Reissue on 100,000: 350 less 40% = 210.00; with the loan's 35 that is
        // 5.00 short of the stand-alone 250.00.
        {"NegativeOwners", {15, 100'000, 100'000, 100'000, {}, C::Standard, {}, false},
         {"L Title – Lender's Title Insurance 250.00",
          "O Title – Owner's Title Insurance (optional) -5.00 [below zero: the owner's 210.00 plus the simultaneous loan's 35.00 is less than the lender's disclosed 250.00]"}},
    };
    // clang-format on
    for (const TridRowsCase& row : cases) {
        SCOPED_TRACE(row.name);
        const ClosingOutcome outcome = QuoteClosing(row.request);
        ASSERT_TRUE(outcome.quote.has_value()) << outcome.refusal.reason;
        std::vector<std::string> shown;
        std::int64_t sum = 0;
        for (const TridRow& item : outcome.quote->trid.rows) {
            const char section = item.section == TridSection::LoanCosts    ? 'L'
                                 : item.section == TridSection::OtherCosts ? 'O'
                                                                           : 'E';
            shown.push_back(std::string(1, section) + ' ' + item.name + ' '
                            + FormatCents(item.disclosedCents)
                            + (item.note.empty() ? "" : " [" + item.note + ']'));
            sum += item.disclosedCents;
        }
        EXPECT_EQ(shown, row.rows);
        EXPECT_EQ(sum, outcome.quote->grossCents);
    }
}

// Over many closings, the disclosed premiums add up to the charged ones.
TEST(Closing, DisclosedPremiumsAlwaysSumToChargedPremiums)
{
    std::mt19937_64 random(20130201);
    const auto amount = [&](double largest) {
        return ToTheCent(std::uniform_real_distribution<double>(0.01, largest)(random));
    };
    for (int i = 0; i < 5'000; ++i) {
        ClosingRequest request;
        request.splitPercent = 10 + static_cast<double>(random() % 6'001) / 100;
        const auto kind = random() % 4;
        const double largest = i % 2 ? 2'000'000 : 40'000'000;
        if (kind != 1)
            request.price = amount(largest);
        if (kind != 0)
            request.loan = amount(largest);
        if (kind == 0 && random() % 2)
            request.priorOwners = amount(largest);
        if (kind == 1 && random() % 2)
            request.priorLoan = amount(largest);
        if (random() % 2)
            request.endorsements.push_back(Endorse(random() % 2 ? "3:owner" : "9"));
        if (request.endorsements.size() == 1 && kind == 1)
            request.endorsements.back().policy = Policy::Loan;
        request.closingProtectionLetter = random() % 2;
        const ClosingOutcome outcome = QuoteClosing(request);
        ASSERT_TRUE(outcome.quote.has_value()) << outcome.refusal.reason;
        const TridDisclosure& trid = outcome.quote->trid;
        ASSERT_EQ(trid.disclosedCents, trid.chargedCents);
        ASSERT_EQ(trid.chargedCents, outcome.quote->grossCents);
        ASSERT_GT(trid.ownersDisclosedCents, trid.hasOwnersPolicy ? 0 : -1);
    }
}

// Amounts, splits and endorsements as the agent writes them.
TEST(Closing, ReadsAmountsSplitsAndEndorsements)
{
    using Amount = std::pair<const char*, std::optional<double>>;
    // clang-format off
    const Amount amounts[] = {
        {"250000", 250'000}, {"250,000.5", 250'000.5}, {"1,234,567", 1'234'567}, {".5", 0.5},
        {"0", 0}, {"1000.005", 1'000.01}, {"999,999,999,999.99", 999'999'999'999.99},
        {"999999999999.994", 999'999'999'999.99}, {"999999999999.995", {}},
        {"1,000,000,000,000", {}}, {"25,0000", {}}, {"1,00", {}}, {",100", {}}, {"1.2.3", {}},
        {"-5", {}}, {"+5", {}}, {"1e5", {}}, {"inf", {}}, {"nan", {}}, {"$5", {}}, {" 5", {}},
        {".", {}}, {"", {}}, {"1.000,5", {}}};
    const Amount splits[] = {{"15", 15}, {"10", 10}, {"70", 70}, {"12.5", 12.5}, {"12.34", 12.34},
        {"12.345", {}}, {"9.99", {}}, {"70.01", {}}, {"1,5", {}}, {"15%", {}}, {"", {}}};
    // Catalogue lines, 0-based.
    const std::tuple<const char*, std::size_t, std::optional<Policy>> forms[] = {
        {"8.1", 24, {}}, {"8.1-06", 24, {}}, {"1", 11, {}}, {"1.1", 39, {}}, {"14.1-06", 39, {}},
        {"3.1:loan", 14, Policy::Loan}, {"28-06:Owner", 61, Policy::Owners}};
    // clang-format on
    for (const auto& [text, value] : amounts) {
        const auto read = ReadClosingAmount(text);
        EXPECT_EQ(read.value, value) << '"' << text << '"';
        EXPECT_EQ(read.error.empty(), value.has_value()) << '"' << text << '"';
    }
    for (const auto& [text, value] : splits)
        EXPECT_EQ(ReadSplit(text).value, value) << '"' << text << '"';
    for (const auto& [text, entry, policy] : forms) {
        const auto read = ReadEndorsement(text);
        ASSERT_TRUE(read.value.has_value()) << text;
        EXPECT_EQ(read.value->entry, entry) << text;
        EXPECT_EQ(read.value->policy, policy) << text;
    }
    for (const char* text : {"21", "9-6", "9.6", "06", "9:buyer", "9:", "", "ALTA 9-06", "9-06-06"})
        EXPECT_FALSE(ReadEndorsement(text).value.has_value()) << text;
}

// What the agent cannot see in a pasted figure is named, never echoed raw.
TEST(Closing, NamesTheFaultsThatDoNotShow)
{
    const std::string plain = " is not a plain amount: digits, with \",\" between thousands and "
                              "at most one \".\"";
    // clang-format off
    const std::pair<std::string, std::string> amounts[] = {
        {"250,000\u200B", "\"250,000<U+200B>\" holds an invisible character, U+200B"},
        {"\u202E250", "\"<U+202E>250\" holds an invisible character, U+202E"},
        {"\u2066100\u2069", "\"<U+2066>100<U+2069>\" holds an invisible character, U+2066"},
        {"\xEF\xBB\xBF" "100", "\"<U+FEFF>100\" holds an invisible character, U+FEFF"},
        {"1\u2060000", "\"1<U+2060>000\" holds an invisible character, U+2060"},
        {" 250000", "\" 250000\" has blanks around it"},
        {"250000\t", "\"250000<U+0009>\" has blanks around it"},
        {"$250,000", "\"$250,000\" begins with $: give the digits alone"},
        {"1\x1b[2J", "\"1<U+001B>[2J\"" + plain},
        {"1\xC2\x9B" "2", "\"1<U+009B>2\"" + plain},
        {"\xFF\xC0", "\"<0xFF><0xC0>\"" + plain},
        {std::string(50, 'x'), "\"" + std::string(40, 'x') + "…\"" + plain},
    };
    // clang-format on
    for (const auto& [text, error] : amounts)
        EXPECT_EQ(ReadClosingAmount(text).error, error) << text;
    EXPECT_EQ(ReadSplit("15\u200E").error, "\"15<U+200E>\" holds an invisible character, U+200E");
    EXPECT_EQ(ReadSplit("15 ").error, "\"15 \" has blanks around it");
}

} // namespace
} // namespace StateCalcs
