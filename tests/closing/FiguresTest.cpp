// What the window shows as the agent types: the engine's figures for every
// closing, the engine's refusals with the fields they name, the marks of
// fields that hold no amount, and the endorsement list's filter.

#include "ClosingDriver.h"

#include "closing/FieldNote.h"
#include "closing/QuoteDocument.h"
#include "engine/Closing.h"

#include <QListWidget>

#include <gtest/gtest.h>

namespace closing::test {
namespace {

using StateCalcs::ClosingField;

std::optional<double> Amount(const QString& text)
{
    return text.isEmpty() ? std::nullopt : StateCalcs::ReadClosingAmount(text.toStdString()).value;
}

// The same closing handed to the engine directly.
StateCalcs::ClosingOutcome EngineQuote(const TypedClosing& typed)
{
    StateCalcs::ClosingRequest request;
    request.splitPercent = *StateCalcs::ReadSplit(typed.split.toStdString()).value;
    request.price = Amount(typed.price);
    request.loan = Amount(typed.loan);
    request.priorOwners = Amount(typed.priorOwners);
    request.priorLoan = Amount(typed.priorLoan);
    request.coverage = typed.expanded ? StateCalcs::Coverage::Expanded
                                      : StateCalcs::Coverage::Standard;
    for (const QString& form : typed.endorsements)
        request.endorsements.push_back(*StateCalcs::ReadEndorsement(form.toStdString()).value);
    request.closingProtectionLetter = typed.letter;
    return StateCalcs::QuoteClosing(request);
}

// The controls of the window's inputs, in the order of ClosingField.
const char* const kFieldControls[] = {
    "split", "price", "loan", "priorOwners", "priorLoan", "coverage", "endorsementList", "letter"};

struct ClosingCase {
    const char* name;
    TypedClosing typed;
    const char* gross; // the total shown; empty for a refusal
};

// Split, price, loan, prior owner's, prior loan, expanded, endorsements, letter.
const ClosingCase kClosings[] = {
    {"PriceOnly", {"15", "250000", "", "", "", false, {}, false}, "650.00"},
    {"Reissue", {"15", "250,000", "", "100,000", "", false, {}, false}, "510.00"},
    {"RefinanceWithZoning", {"20", "", "300,000", "", "200,000", false, {"3.1"}, false}, "930.00"},
    {"Purchase", {"15", "250,000", "200,000", "", "", false, {"8.1", "9-06"}, true}, "760.00"},
    {"LoanAbovePrice", {"15", "200,000", "250,000", "", "", false, {}, false}, "672.50"},
    {"ExpandedLoan", {"20", "", "200000", "", "", true, {"27"}, false}, "1,467.50"},
    {"ZoningOnTheLoan",
     {"10", "5,000,000", "100,000", "", "", false, {"3:loan"}, false},
     "10,685.00"},
    {"EndorsementsAlone", {"12.5", "", "", "", "", false, {"11", "14.1"}, true}, "125.00"},
    {"ZeroPrice", {"15", "0", "100,000", "", "", false, {}, false}, ""},
    {"ExpandedWithBoth", {"15", "1", "1", "", "", true, {}, false}, ""},
    {"ExpandedWithReissue", {"15", "1", "", "1", "", true, {}, false}, ""},
    {"RefinanceCreditWithPrice", {"15", "1", "1", "", "1", false, {}, false}, ""},
    {"ReissueWithoutPrice", {"15", "", "1", "1", "", false, {}, false}, ""},
    {"ZoningWithoutPolicy", {"15", "", "", "", "", false, {"3"}, true}, ""},
    {"ZoningPolicyNotChosen", {"15", "1", "1", "", "", false, {"3"}, false}, ""},
};

TEST(ClosingFigures, EachClosingShowsTheEnginesFiguresOrItsRefusal)
{
    for (const ClosingCase& row : kClosings) {
        SCOPED_TRACE(row.name);
        ClosingDriver driver;
        driver.Enter(row.typed);
        const StateCalcs::ClosingOutcome engine = EngineQuote(row.typed);
        ASSERT_EQ(engine.quote.has_value(), *row.gross != '\0') << engine.refusal.reason;
        if (!engine.quote) {
            EXPECT_EQ(driver.Status().toLower(),
                      QString::fromStdString(engine.refusal.reason + '.').toLower());
            QStringList fields;
            for (const ClosingField field : engine.refusal.fields)
                fields.append(QLatin1String(kFieldControls[static_cast<int>(field)]));
            fields.sort();
            if (row.typed.endorsements.contains(QStringLiteral("3")) && !row.typed.price.isEmpty())
                fields.append(QStringLiteral("zoningChoice")); // marked until it is set
            EXPECT_EQ(driver.Marked(), fields);
            EXPECT_TRUE(driver.Figures().isEmpty());
            EXPECT_FALSE(driver.Find("copyQuote")->isEnabled());
            continue;
        }
        QStringList expected;
        for (const StateCalcs::QuotedLine& line : engine.quote->lines)
            expected.append(
                QString::fromUtf8(line.text.data(), static_cast<qsizetype>(line.text.size()))
                + QStringLiteral(" | ") + closing::PricedOnText(line) + QStringLiteral(" | ")
                + QString::fromStdString(line.grossText + " | " + line.remitText));
        expected.append(
            QStringLiteral("Total |  | ") + row.gross + QStringLiteral(" | ")
            + QString::fromStdString(StateCalcs::FormatCents(engine.quote->remitCents)));
        EXPECT_EQ(driver.Figures(), expected);
        EXPECT_TRUE(driver.Marked().isEmpty());
        const StateCalcs::TridDisclosure& trid = engine.quote->trid;
        const auto cents = [](std::int64_t value, bool shown) {
            return shown ? QString::fromStdString(StateCalcs::FormatCents(value)) : QString();
        };
        EXPECT_EQ((QStringList{driver.Text("lendersDisclosed"), driver.Text("ownersDisclosed")}),
                  (QStringList{cents(trid.lendersDisclosedCents, trid.hasLoanPolicy),
                               cents(trid.ownersDisclosedCents, trid.hasOwnersPolicy)}));
    }
}

// A field that holds no amount (or no split) is marked with why, the figures
// go, and everything else the agent typed stays; putting it right brings
// the figures back. An amount still being typed is marked only once left.
struct BadFieldCase {
    const char* name;
    const char* field;
    QString text;
    bool leave;
    const char* note; // the note under the field after the text; empty: not marked
};

TEST(ClosingFigures, ABadFieldIsMarkedAndKeepsEverythingElse)
{
    const TypedClosing purchase{"15", "250,000", "200,000", "", "", false, {"9"}, true};
    // The note follows the text in quotes, as "12a" is not a plain amount: ...
    const char* plain = " is not a plain amount: digits, with \",\" between thousands and at "
                        "most one \".\"";
    const char* split = " is not a premium split from 10 to 70 percent";
    const BadFieldCase rows[] = {
        {"Letters", "price", QStringLiteral("12a"), false, plain},
        {"Sign", "loan", QStringLiteral("-5"), false, plain},
        {"TooLarge", "loan", QStringLiteral("1,000,000,000,000"), false,
         " is more than 999,999,999,999.99"},
        {"GroupBeingTyped", "price", QStringLiteral("250,00"), false, ""},
        {"GroupLeftShort", "price", QStringLiteral("250,00"), true, plain},
        {"SplitOneDigit", "split", QStringLiteral("8"), false, ""},
        {"SplitOneDigitLeft", "split", QStringLiteral("8"), true, split},
        {"SplitTooHigh", "split", QStringLiteral("71"), false, split},
        {"SplitThreeDecimals", "split", QStringLiteral("12.345"), false,
         " has more than two decimals"},
    };
    for (const BadFieldCase& row : rows) {
        SCOPED_TRACE(row.name);
        ClosingDriver driver;
        driver.Enter(purchase);
        const QStringList figures = driver.Figures();
        ASSERT_EQ(figures.size(), 5);
        const auto typed = [&driver] {
            QStringList texts;
            for (const char* field : {"split", "price", "loan", "endorsementFilter"})
                texts.append(driver.Text(field));
            return texts;
        };
        QStringList others = typed();
        const QString before = driver.Text(row.field);
        driver.Type(row.field, row.text);
        if (row.leave)
            driver.Key(Qt::Key_Tab);
        EXPECT_TRUE(driver.Figures().isEmpty());
        EXPECT_FALSE(driver.Window().Quote().has_value());
        EXPECT_EQ(driver.Marked(),
                  *row.note ? QStringList{QLatin1String(row.field)} : QStringList());
        const QString note = *row.note ? u'"' + row.text + u'"' + QString::fromUtf8(row.note)
                                       : QString();
        EXPECT_EQ(driver.Find<FieldNote>(QByteArray(row.field).append("Note"))->Text(), note);
        EXPECT_EQ(driver.Find(row.field)->accessibleDescription(), note);
        EXPECT_EQ(driver.Status().isEmpty(), false);
        QStringList now = typed();
        now.removeAll(row.text);
        others.removeAll(before);
        EXPECT_EQ(now, others);
        driver.Type(row.field, before);
        EXPECT_EQ(driver.Figures(), figures);
        EXPECT_TRUE(driver.Marked().isEmpty());
    }
}

TEST(ClosingFigures, EmptyFieldsAreNoMistake)
{
    ClosingDriver driver;
    EXPECT_TRUE(driver.Marked().isEmpty());
    EXPECT_EQ(driver.Status(), QStringLiteral("The figures show once the split is given."));
    driver.Type("split", QStringLiteral("15"));
    EXPECT_TRUE(driver.Marked().isEmpty());
    EXPECT_TRUE(driver.Figures().isEmpty());
    EXPECT_TRUE(driver.Status().startsWith(QStringLiteral("Type a sales price")));
    // <ENTER> finishes a field and clears nothing.
    driver.Type("price", QStringLiteral("250,000"));
    driver.Key(Qt::Key_Return);
    EXPECT_EQ(driver.Text("price"), QStringLiteral("250,000"));
    EXPECT_EQ(driver.Figures().size(), 2);
}

// Form numbers find their family, words find titles; a checked line stays
// checked, and quoted, while the filter hides it.
TEST(ClosingFigures, TheFilterNarrowsTheEndorsementList)
{
    const std::pair<QString, QStringList> rows[] = {
        {QStringLiteral("9"), {"9-06", "9.1-06", "9.2-06", "9.3-06", "9.4-06", "9.5-06"}},
        {QStringLiteral("14"), {"14-06", "1.1-06", "14.2-06", "14.3-06"}},
        {QStringLiteral("14.1"), {"1.1-06"}},
        {QStringLiteral("9.1-06"), {"9.1-06"}},
        {QStringLiteral("9-0"), {"9-06"}},
        {QStringLiteral("19"), {"19-06", "19.1-06"}},
        {QStringLiteral("condo"), {"4-06", "4.1-06"}},
        {QStringLiteral("CONDO"), {"4-06", "4.1-06"}},
        {QStringLiteral("owners policy improved"), {"9.1-06", "9.2-06", "9.4-06", "9.5-06"}},
        {QStringLiteral("alta 8"), {"8.1-06", "8.2-06"}},
        {QStringLiteral("21"), {}},
    };
    ClosingDriver driver;
    driver.Type("split", QStringLiteral("15"));
    driver.Type("price", QStringLiteral("250,000"));
    for (const auto& [filter, forms] : rows) {
        driver.Type("endorsementFilter", filter);
        EXPECT_EQ(driver.VisibleEndorsements(), forms) << filter.toStdString();
    }
    driver.ToggleEndorsement(QStringLiteral("9"));
    driver.Type("endorsementFilter", QStringLiteral("condo"));
    EXPECT_EQ(driver.Figures().size(), 3);
    EXPECT_TRUE(driver.Figures()[1].contains(QStringLiteral("ALTA 9-06")));
    driver.Type("endorsementFilter", QString());
    EXPECT_EQ(driver.VisibleEndorsements().size(), 51);
}

// The zoning endorsement asks which policy it is on only when the closing
// has both, and no figures show until the agent says.
TEST(ClosingFigures, TheZoningPolicyChoiceAppearsWithBothPolicies)
{
    ClosingDriver driver;
    driver.Enter({"15", "250,000", "", "", "", false, {"3"}, false});
    auto* choice = driver.Find("zoningChoice");
    EXPECT_FALSE(choice->isVisible());
    EXPECT_EQ(driver.Figures().size(), 3);
    driver.Type("loan", QStringLiteral("200,000"));
    EXPECT_TRUE(choice->isVisible());
    EXPECT_TRUE(driver.Figures().isEmpty());
    EXPECT_TRUE(
        driver.Status().startsWith(QStringLiteral("ALTA 3-06 is priced on the charge of one")));
    driver.Key(Qt::Key_E, Qt::AltModifier);
    driver.Key(Qt::Key_Tab);
    driver.Key(Qt::Key_Right); // to the loan policy
    driver.Key(Qt::Key_Space);
    EXPECT_TRUE(driver.Marked().isEmpty());
    ASSERT_EQ(driver.Figures().size(), 4);
    EXPECT_TRUE(driver.Figures()[2].contains(
        QStringLiteral("Charge for Endorsed Policy 35.00, loan policy")));
    driver.Type("loan", QString());
    EXPECT_FALSE(choice->isVisible());
    EXPECT_EQ(driver.Figures().size(), 3);
}

} // namespace
} // namespace closing::test
