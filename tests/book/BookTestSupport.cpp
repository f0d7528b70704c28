#include "tests/book/BookTestSupport.h"

#include "quote/ClosingInput.h"

#include <QSqlError>
#include <QSqlQuery>

#include <gtest/gtest.h>

namespace BookTest {

Priced Price(const std::vector<std::string>& options)
{
    Quote::ClosingTexts texts;
    for (std::size_t i = 0; i < options.size(); ++i) {
        const std::string& option = options[i];
        if (option == "--cpl") {
            texts.closingProtectionLetter = true;
            continue;
        }
        const std::string& value = options[++i];
        if (option == "--split")
            texts.split = value;
        else if (option == "--price")
            texts.price = value;
        else if (option == "--loan")
            texts.loan = value;
        else if (option == "--prior-loan")
            texts.priorLoan = value;
        else if (option == "--endorse")
            texts.endorsements.push_back(value);
    }
    const auto request = std::get<StateCalcs::ClosingRequest>(Quote::ReadClosing(texts));
    return {Book::StoreClosing(request),
            Book::StoreQuote(*StateCalcs::QuoteClosing(request).quote)};
}

Book::FileDetails Details(const QString& fileNumber, const QString& buyers)
{
    return {fileNumber,
            QStringLiteral("QMV"),
            buyers,
            QStringLiteral("Bob Jones"),
            QStringLiteral("12 Main St, Little Rock"),
            QStringLiteral("Pulaski"),
            QStringLiteral("First Bank"),
            QStringLiteral("2026-03-31"),
            QString()};
}

std::unique_ptr<Book::Book> OpenForWriting(const Book::BookLocation& location)
{
    QString error;
    auto book = Book::Book::Open(location, Book::Access::Write, error);
    EXPECT_TRUE(book) << error.toStdString();
    return book;
}

void SaveNew(Book::Book& book, const Book::FileDetails& details, const Priced& priced)
{
    const auto saved = book.Save(details, priced.closing, priced.quote, 0);
    ASSERT_EQ(saved.status, Book::SaveResult::Status::Saved) << saved.error.toStdString();
}

QSqlDatabase Connect(const Book::BookLocation& location, const QString& name)
{
    QSqlDatabase database = QSqlDatabase::addDatabase(
        location.IsPostgreSql() ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE"), name);
    database.setDatabaseName(location.IsPostgreSql() ? location.database : location.path);
    database.setHostName(location.host);
    database.setUserName(location.user);
    EXPECT_TRUE(database.open()) << database.lastError().text().toStdString();
    return database;
}

void Tamper(const Book::BookLocation& location, const QStringList& statements)
{
    const QString name = QStringLiteral("tarnwell-test-tamper");
    {
        QSqlDatabase database = Connect(location, name);
        for (const QString& statement : statements) {
            QSqlQuery query(database);
            EXPECT_TRUE(query.exec(statement)) << query.lastError().text().toStdString();
        }
        database.close();
    }
    QSqlDatabase::removeDatabase(name);
}

} // namespace BookTest
