// What the window shows as the agent types: the engine's figures for every
// closing, the engine's refusals with the fields they name, the marks of
// fields that hold no amount, and the endorsement list's filter.

#include "ClosingDriver.h"

#include "../data/ClosingTable.h"
#include "closing/FieldNote.h"
#include "closing/QuoteDocument.h"
#include "engine/Catalogue.h"
#include "engine/Closing.h"

#include <QListWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace closing::test {
namespace {

// The controls of the window's inputs, by the names of ClosingField.
QString ControlOf(const std::string& field)
{
    return field == "endorsements" ? QStringLiteral("endorsementList")
                                   : QString::fromStdString(field);
}

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

// Every closing of the shared table the window's controls can express, typed
// as the agent types it: each line's catalogue text, what it is priced on,
// its figures and the totals as worked by hand, or the refusal with the
// controls it marks.
TEST(ClosingFigures, EachClosingShowsItsFiguresOrItsRefusal)
{
    for (const closings::Closing& row : closings::Table()) {
        if (!row.window)
            continue;
        SCOPED_TRACE(row.name);
        TypedClosing typed{Q(row.split),     Q(row.price), Q(row.loan), Q(row.priorOwners),
                           Q(row.priorLoan), row.expanded, {},          row.letter};
        for (const std::string& form : row.endorse)
            typed.endorsements.append(Q(form));
        ClosingDriver driver;
        driver.Enter(typed);
        if (!row.refused.empty()) {
            // The reason as a sentence.
            QString sentence = Q(row.refused) + u'.';
            sentence[0] = sentence[0].toUpper();
            EXPECT_EQ(driver.Status(), sentence);
            QStringList fields;
            for (const std::string& field : row.fields)
                fields.append(ControlOf(field));
            fields.sort();
            if (row.name == "ZoningPolicyNotNamed")
                fields.append(QStringLiteral("policyChoice")); // marked until it is set
            EXPECT_EQ(driver.Marked(), fields);
            EXPECT_TRUE(driver.Figures().isEmpty());
            EXPECT_FALSE(driver.Find("copyQuote")->isEnabled());
            continue;
        }
        QStringList expected;
        for (const closings::Line& line : row.lines) {
            const std::string_view text = StateCalcs::RateEntries[line.catalogueLine - 1];
            expected.append(
                QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).simplified()
                + QStringLiteral(" | ") + Q(line.pricedOn) + QStringLiteral(" | ") + Q(line.gross)
                + QStringLiteral(" | ") + Q(line.remit));
        }
        EXPECT_EQ(driver.Figures(), expected);
        EXPECT_EQ(driver.Text("totalGross"), Q(row.gross));
        EXPECT_EQ(driver.Text("totalRemit"), Q(row.remit));
        EXPECT_EQ(driver.Trid().last(), QStringLiteral("Total | %1 | %1").arg(Q(row.gross)));
        EXPECT_TRUE(driver.Marked().isEmpty());
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
        ASSERT_EQ(figures.size(), 4);
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
    EXPECT_EQ(driver.Figures().size(), 1);
}

// Form numbers find their family, words find titles; a checked line stays
// checked, and quoted, while the filter hides it.
TEST(ClosingFigures, TheFilterNarrowsTheEndorsementList)
{
    const std::pair<QString, QStringList> rows[] = {
        {QStringLiteral("9"), {"9-06", "9.1-06", "9.2-06", "9.3-06", "9.4-06", "9.5-06"}},
        {QStringLiteral("1"), {"1-06", "1.1-06"}},
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
    EXPECT_EQ(driver.Figures().size(), 2);
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
    auto* choice = driver.Find("policyChoice");
    EXPECT_FALSE(choice->isVisible());
    EXPECT_EQ(driver.Figures().size(), 2);
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
    ASSERT_EQ(driver.Figures().size(), 3);
    EXPECT_TRUE(driver.Figures()[2].contains(
        QStringLiteral("Charge for Endorsed Policy 35.00, loan policy")));
    driver.Type("loan", QString());
    EXPECT_FALSE(choice->isVisible());
    EXPECT_EQ(driver.Figures().size(), 2);
}

// With both zoning lines checked, each choice's mnemonic chooses it for the
// current line: Alt+A puts ALTA 3.1-06 on the loan policy, Alt+W ALTA 3-06
// on the owner's. Each is a tenth of its policy's charge, at least 500.00:
// 3-06 on the owner's 10,150.00 is 1,015.00; 3.1-06 on the loan's 35.00, 500.00.
TEST(ClosingFigures, APolicyChoiceMnemonicChoosesIt)
{
    ClosingDriver driver;
    driver.Enter({"10", "5,000,000", "100,000", "", "", false, {"3", "3.1"}, false});
    driver.Key(Qt::Key_A, Qt::AltModifier);
    QTest::qWait(250); // a mnemonic clicks as the button is seen to go down and up
    driver.Type("endorsementFilter", QString());
    driver.Key(Qt::Key_E, Qt::AltModifier);
    driver.Key(Qt::Key_Up); // to ALTA 3-06
    driver.Key(Qt::Key_W, Qt::AltModifier);
    QTest::qWait(250);
    EXPECT_TRUE(driver.Marked().isEmpty());
    const QStringList figures = driver.Figures();
    ASSERT_EQ(figures.size(), 4);
    EXPECT_TRUE(figures[2].endsWith(QStringLiteral("owner's policy | 1,015.00 | 1,015.00")));
    EXPECT_TRUE(figures[3].endsWith(QStringLiteral("loan policy | 500.00 | 500.00")));
    EXPECT_EQ(driver.Text("totalGross"), QStringLiteral("11,700.00"));
}

// The disclosure line by line, worked by hand. Purchase: 650.00 owner's and
// 35.00 simultaneous loan charged, the lender's disclosed at the stand-alone
// 425.00 and the owner's at 650 + 35 - 425 = 260.00; 9-06 named on the
// owner's policy, 8.1-06 on none (under the lender's, saying so); the letter
// under Loan Costs. Endorsements alone: an existing policy's. Reissue with a
// loan: 350 less 40% = 210.00 owner's, + 35 - 250.00 lender's = -5.00.
struct TridCase {
    const char* name;
    TypedClosing typed;
    QStringList rows;
};

TEST(ClosingFigures, TheDisclosureShowsEveryLineUnderItsPolicy)
{
    const TridCase cases[] = {
        {"Purchase",
         {"15", "250,000", "200,000", "", "", false, {"8.1", "9:owner"}, true},
         {"Loan Costs", "Title – Lender's Title Insurance | 425.00 | 35.00",
          "Title – ALTA 8.1-06 Environmental Protection Lien (no policy named) | 0.00 | 0.00",
          "Title – Closing Protection Letter | 25.00 | 25.00", "Other Costs",
          "Title – Owner's Title Insurance (optional) | 260.00 | 650.00",
          "Title – ALTA 9-06 Restrictions, Encroachments, Minerals | 50.00 | 50.00",
          "Total | 760.00 | 760.00"}},
        {"EndorsementsAlone",
         {"15", "", "", "", "", false, {"9"}, true},
         {"Endorsements to an existing policy",
          "Title – ALTA 9-06 Restrictions, Encroachments, Minerals | 50.00 | 50.00",
          "Title – Closing Protection Letter | 25.00 | 25.00", "Total | 75.00 | 75.00"}},
        {"NegativeOwners",
         {"15", "100,000", "100,000", "100,000", "", false, {}, false},
         {"Loan Costs", "Title – Lender's Title Insurance | 250.00 | 35.00", "Other Costs",
          "Title – Owner's Title Insurance (optional) | -5.00 | 210.00",
          "below zero: the owner's 210.00 plus the simultaneous loan's 35.00 is less than the "
          "lender's disclosed 250.00",
          "Total | 245.00 | 245.00"}},
    };
    for (const TridCase& row : cases) {
        SCOPED_TRACE(row.name);
        ClosingDriver driver;
        driver.Enter(row.typed);
        EXPECT_EQ(driver.Trid(), row.rows);
    }
}

// A pasted amount keeps its blanks, line breaks and a "$"; the window takes
// them off: each case is the sales price of 250,000, priced 650.00.
TEST(ClosingFigures, APastedAmountIsTakenWithoutItsBlanksAndDollar)
{
    const std::pair<const char*, QString> pasted[] = {
        {"LineBreakAfter", QStringLiteral("250,000\n")},
        {"CrLfAndTabs", QStringLiteral("\t250,000\r\n")},
        {"NoBreakSpace", QStringLiteral("250,000\u00a0")},
        {"NarrowNoBreakSpaceBefore", QStringLiteral("\u202f250000")},
        {"Dollar", QStringLiteral("$250,000.00")},
        {"DollarAndBlank", QStringLiteral(" $ 250,000 ")},
    };
    ClosingDriver driver;
    driver.Type("split", QStringLiteral("15"));
    for (const auto& [name, text] : pasted) {
        SCOPED_TRACE(name);
        driver.Paste("price", text);
        driver.Key(Qt::Key_Tab);
        EXPECT_TRUE(driver.Marked().isEmpty());
        EXPECT_EQ(driver.Text("totalGross"), QStringLiteral("650.00"));
    }
    // One "$" only, and no blank inside the amount. An invisible character is
    // named, never shown as it is (it would make "250,000" look right).
    const std::pair<QString, QString> refused[] = {
        {QStringLiteral("$$250,000"), {}},
        {QStringLiteral("250 000"), {}},
        {QStringLiteral("250,000\u200b\n"),
         QStringLiteral("\"250,000<U+200B>\" holds an invisible character, U+200B")},
        {QStringLiteral("\ufeff250,000"),
         QStringLiteral("\"<U+FEFF>250,000\" holds an invisible character, U+FEFF")},
    };
    for (const auto& [text, note] : refused) {
        driver.Paste("price", text);
        driver.Key(Qt::Key_Tab);
        EXPECT_EQ(driver.Marked(), QStringList{QStringLiteral("price")});
        if (!note.isEmpty()) {
            EXPECT_EQ(driver.Find<FieldNote>("priceNote")->Text(), note);
        }
    }
}

} // namespace
} // namespace closing::test
