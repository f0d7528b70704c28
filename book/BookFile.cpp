#include "book/BookFile.h"

#include "engine/NumberText.h"

#include <cmath>

namespace Book {

using namespace StateCalcs;

namespace {

std::optional<std::int64_t> Cents(const std::optional<double>& amount)
{
    return amount ? std::optional(CentsAsShown(*amount)) : std::nullopt;
}

std::optional<double> Amount(const std::optional<std::int64_t>& cents)
{
    return cents ? std::optional(static_cast<double>(*cents) / 100.0) : std::nullopt;
}

QString PolicyText(const std::optional<Policy>& policy)
{
    if (!policy)
        return {};
    return *policy == Policy::Owners ? QStringLiteral("owner") : QStringLiteral("loan");
}

std::optional<Policy> PolicyOf(const QString& text)
{
    if (text == QLatin1String("owner"))
        return Policy::Owners;
    if (text == QLatin1String("loan"))
        return Policy::Loan;
    return std::nullopt;
}

QString RoleText(LineRole role)
{
    switch (role) {
    case LineRole::OwnersPolicy:
        return QStringLiteral("owners_policy");
    case LineRole::LoanPolicy:
        return QStringLiteral("loan_policy");
    case LineRole::Endorsement:
        return QStringLiteral("endorsement");
    case LineRole::ClosingProtectionLetter:
        break;
    }
    return QStringLiteral("closing_protection_letter");
}

LineRole RoleOf(const QString& text)
{
    if (text == QLatin1String("owners_policy"))
        return LineRole::OwnersPolicy;
    if (text == QLatin1String("loan_policy"))
        return LineRole::LoanPolicy;
    if (text == QLatin1String("endorsement"))
        return LineRole::Endorsement;
    return LineRole::ClosingProtectionLetter;
}

QString SectionText(TridSection section)
{
    switch (section) {
    case TridSection::LoanCosts:
        return QStringLiteral("loan_costs");
    case TridSection::OtherCosts:
        return QStringLiteral("other_costs");
    case TridSection::ExistingPolicy:
        break;
    }
    return QStringLiteral("existing_policy");
}

TridSection SectionOf(const QString& text)
{
    if (text == QLatin1String("loan_costs"))
        return TridSection::LoanCosts;
    if (text == QLatin1String("other_costs"))
        return TridSection::OtherCosts;
    return TridSection::ExistingPolicy;
}

QString Text(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

StoredClosing StoreClosing(const ClosingRequest& request)
{
    StoredClosing closing;
    closing.splitHundredths = std::llround(request.splitPercent * 100);
    closing.priceCents = Cents(request.price);
    closing.loanCents = Cents(request.loan);
    closing.priorOwnersCents = Cents(request.priorOwners);
    closing.priorLoanCents = Cents(request.priorLoan);
    closing.coverage = request.coverage == Coverage::Expanded ? QStringLiteral("expanded")
                                                              : QStringLiteral("standard");
    for (const EndorsementRequest& wanted : request.endorsements)
        closing.endorsements.push_back(
            {static_cast<int>(wanted.entry) + 1, PolicyText(wanted.policy)});
    closing.closingProtectionLetter = request.closingProtectionLetter;
    return closing;
}

StoredQuote StoreQuote(const ClosingQuote& quote)
{
    StoredQuote stored;
    for (const QuotedLine& line : quote.lines) {
        StoredLine row{static_cast<int>(line.entry) + 1,
                       Text(line.code),
                       Text(line.text),
                       RoleText(line.role),
                       PolicyText(line.policy),
                       {},
                       line.grossCents,
                       line.remitCents,
                       QString::fromStdString(line.grossText),
                       QString::fromStdString(line.remitText)};
        for (const PricedOn& amount : line.pricedOn)
            row.pricedOn.push_back({Text(amount.name), CentsAsShown(amount.amount)});
        stored.lines.push_back(row);
    }
    stored.grossCents = quote.grossCents;
    stored.remitCents = quote.remitCents;
    const TridDisclosure& trid = quote.trid;
    stored.trid = {trid.hasLoanPolicy,
                   trid.hasOwnersPolicy,
                   trid.lendersChargedCents,
                   trid.ownersChargedCents,
                   trid.lendersDisclosedCents,
                   trid.ownersDisclosedCents,
                   trid.otherCents,
                   trid.chargedCents,
                   trid.disclosedCents,
                   {}};
    for (const TridRow& row : trid.rows)
        stored.trid.rows.push_back({SectionText(row.section), QString::fromStdString(row.name),
                                    static_cast<int>(row.line), PolicyText(row.policy),
                                    row.policyNamed, row.disclosedCents, row.chargedCents,
                                    QString::fromStdString(row.note)});
    return stored;
}

ClosingRequest RequestOf(const StoredClosing& closing)
{
    ClosingRequest request;
    request.splitPercent = static_cast<double>(closing.splitHundredths) / 100.0;
    request.price = Amount(closing.priceCents);
    request.loan = Amount(closing.loanCents);
    request.priorOwners = Amount(closing.priorOwnersCents);
    request.priorLoan = Amount(closing.priorLoanCents);
    request.coverage = closing.coverage == QLatin1String("expanded") ? Coverage::Expanded
                                                                     : Coverage::Standard;
    for (const StoredEndorsement& wanted : closing.endorsements)
        request.endorsements.push_back(
            {static_cast<std::size_t>(wanted.line - 1), PolicyOf(wanted.policy)});
    request.closingProtectionLetter = closing.closingProtectionLetter;
    return request;
}

ClosingQuote QuoteOf(const StoredQuote& stored, std::int64_t splitHundredths,
                     std::deque<std::string>& texts)
{
    const auto keep = [&](const QString& text) -> std::string_view {
        return texts.emplace_back(text.toStdString());
    };
    ClosingQuote quote;
    quote.splitPercent = static_cast<double>(splitHundredths) / 100.0;
    for (const StoredLine& row : stored.lines) {
        QuotedLine line{RoleOf(row.role),
                        static_cast<std::size_t>(row.line - 1),
                        keep(row.text),
                        keep(row.code),
                        PolicyOf(row.policy),
                        {},
                        {},
                        row.grossCents,
                        row.remitCents,
                        row.grossText.toStdString(),
                        row.remitText.toStdString()};
        for (const StoredPricedOn& amount : row.pricedOn)
            line.pricedOn.push_back({keep(amount.name), static_cast<double>(amount.cents) / 100.0});
        quote.lines.push_back(std::move(line));
    }
    quote.grossCents = stored.grossCents;
    quote.remitCents = stored.remitCents;
    const StoredTrid& trid = stored.trid;
    quote.trid.hasLoanPolicy = trid.hasLoanPolicy;
    quote.trid.hasOwnersPolicy = trid.hasOwnersPolicy;
    quote.trid.lendersChargedCents = trid.lendersChargedCents;
    quote.trid.ownersChargedCents = trid.ownersChargedCents;
    quote.trid.lendersDisclosedCents = trid.lendersDisclosedCents;
    quote.trid.ownersDisclosedCents = trid.ownersDisclosedCents;
    quote.trid.otherCents = trid.otherCents;
    quote.trid.chargedCents = trid.chargedCents;
    quote.trid.disclosedCents = trid.disclosedCents;
    for (const StoredTridRow& row : trid.rows)
        quote.trid.rows.push_back({SectionOf(row.section), row.name.toStdString(),
                                   static_cast<std::size_t>(row.line), PolicyOf(row.policy),
                                   row.policyNamed, row.disclosedCents, row.chargedCents,
                                   row.note.toStdString()});
    return quote;
}

} // namespace Book
