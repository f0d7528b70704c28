#pragma once

// A file of the agency's book: its file number and details, the closing as
// the agent entered it, and its quote as priced when it was saved. Money is
// whole cents; figures read from the book are the stored ones, never priced
// again, so that what was quoted stays what was quoted.

#include "engine/Closing.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <deque>
#include <optional>
#include <string>

namespace Book {

// The underwriters the rate program knows.
inline const QStringList kUnderwriters{QStringLiteral("QMV"), QStringLiteral("ZOR")};

struct FileDetails {
    QString fileNumber; // unique in the book
    QString underwriter;
    QString buyers; // the buyers or borrowers
    QString sellers;
    QString property; // the property's address
    QString county;
    QString lender;
    QString closingDate; // YYYY-MM-DD; empty while only quoting
    QString note;

    bool operator==(const FileDetails&) const = default;
};

// The closing as entered, with amounts in whole cents.
struct StoredEndorsement {
    int line = 0;   // catalogue line number, 1 to 62
    QString policy; // "owner", "loan" or empty
    bool operator==(const StoredEndorsement&) const = default;
};

struct StoredClosing {
    std::int64_t splitHundredths = 0; // 15.5 % is 1550
    std::optional<std::int64_t> priceCents, loanCents, priorOwnersCents, priorLoanCents;
    QString coverage = QStringLiteral("standard"); // "standard" or "expanded"
    QList<StoredEndorsement> endorsements;
    bool closingProtectionLetter = false;
    bool operator==(const StoredClosing&) const = default;
};

struct StoredPricedOn {
    QString name; // "Liability", "Prior Policy Liability", ...
    std::int64_t cents = 0;
    bool operator==(const StoredPricedOn&) const = default;
};

struct StoredLine {
    int line = 0; // catalogue line number
    QString code;
    QString text;
    QString role;   // "owners_policy", "loan_policy", "endorsement", "closing_protection_letter"
    QString policy; // "owner", "loan" or empty
    QList<StoredPricedOn> pricedOn;
    std::int64_t grossCents = 0, remitCents = 0;
    QString grossText, remitText; // as shown: "1,234.50", "No Charge"
    bool operator==(const StoredLine&) const = default;
};

// A line of the disclosure as the Loan Estimate and Closing Disclosure
// itemise it.
struct StoredTridRow {
    QString section; // "loan_costs", "other_costs" or "existing_policy"
    QString name;    // "Title – ALTA 9-06 Restrictions, Encroachments, Minerals"
    int line = 0;    // the quote's line it stands for, from 0
    QString policy;  // "owner", "loan" or empty
    bool policyNamed = true;
    std::int64_t disclosedCents = 0, chargedCents = 0;
    QString note;
    bool operator==(const StoredTridRow&) const = default;
};

struct StoredTrid {
    bool hasLoanPolicy = false, hasOwnersPolicy = false;
    std::int64_t lendersChargedCents = 0, ownersChargedCents = 0;
    std::int64_t lendersDisclosedCents = 0, ownersDisclosedCents = 0;
    std::int64_t otherCents = 0, chargedCents = 0, disclosedCents = 0;
    QList<StoredTridRow> rows;
    bool operator==(const StoredTrid&) const = default;
};

struct StoredQuote {
    QList<StoredLine> lines;
    std::int64_t grossCents = 0, remitCents = 0;
    StoredTrid trid;
    bool operator==(const StoredQuote&) const = default;
};

// Who saved a revision, when, and what it changed.
struct RevisionInfo {
    int revision = 0;
    QString savedBy; // the system user
    QString savedAt; // UTC, ISO 8601 with milliseconds
    QString changes; // "file created" or the changed items: "buyers, loan, figures"
    QString reason;  // an amendment's or a void's
};

// A policy issued: its number and date. The letter and the lines on no
// policy of the file's own go with the file's first issue, recorded as the
// policy "" without a number.
struct IssuedPolicy {
    QString policy; // "owner", "loan" or ""
    QString number;
    QString issueDate; // YYYY-MM-DD
    bool operator==(const IssuedPolicy&) const = default;
};

// One revision of a file, whole.
struct BookFile {
    FileDetails details;
    StoredClosing closing;
    StoredQuote quote;
    RevisionInfo revision;
    QString firstSaved; // UTC, of revision 1
    // The file's course as it is now: "" (no policy issued), "partly" (some
    // issued), "issued" (all), or "voided"; and the policies issued.
    QString status;
    QList<IssuedPolicy> policies;
    // A voided file's reason, as its void recorded it.
    QString voidReason = {};
};

// A row of the file list.
struct FileSummary {
    QString fileNumber, underwriter, buyers, sellers, property, closingDate;
    QString month;     // of the closing date, or of the first save while there is none
    QString changedAt; // UTC, of the latest revision
    int revision = 0;
    std::int64_t grossCents = 0, remitCents = 0;
};

// The closing and its quote in the book's terms.
StoredClosing StoreClosing(const StateCalcs::ClosingRequest& request);
StoredQuote StoreQuote(const StateCalcs::ClosingQuote& quote);

// Back into the engine's terms, for writing them out as tarnwell-quote does.
// The quote's texts point into `stored`, which must outlive it; its figures
// are the stored ones.
StateCalcs::ClosingRequest RequestOf(const StoredClosing& closing);
StateCalcs::ClosingQuote QuoteOf(const StoredQuote& stored, std::int64_t splitHundredths,
                                 std::deque<std::string>& texts);

} // namespace Book
