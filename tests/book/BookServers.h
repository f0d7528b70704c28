#pragma once

// The databases the book's tests run on: SQLite files in a temporary folder
// of each test, and a real PostgreSQL server this test program starts once
// (initdb and pg_ctl as the postgres user, its Unix socket in its own
// temporary folder), stopped at the end even when a test fails or the
// program dies. Each test gets a fresh database owned by a user who is no
// superuser, as an office's would be.
//
// Under CI (CI=true) a server that cannot start fails the PostgreSQL tests;
// elsewhere it skips them.

#include "book/BookLocation.h"

#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace BookTest {

enum class Database { SQLite, PostgreSQL };

std::string DatabaseName(const ::testing::TestParamInfo<Database>& info);

// The PostgreSQL server of this test program; nothing when it cannot start
// (Why() says why).
class PostgresServer : public ::testing::Environment {
public:
    void SetUp() override;
    void TearDown() override;
    static PostgresServer* Instance();
    static bool Running();
    static QString Why();
    // A new empty database owned by "clerk"; its postgresql:// address.
    static QString NewDatabase();
    static QString SocketFolder();
};

// A fresh book address per test: a file in a temporary folder, or a new
// PostgreSQL database.
class BookPlace {
public:
    explicit BookPlace(Database database);
    Book::BookLocation Location() const;
    QString Address() const { return m_address; }
    QString Folder() const { return m_folder.path(); }

private:
    QTemporaryDir m_folder;
    QString m_address;
};

// Skips (or, under CI, fails) a PostgreSQL test when the server is down.
#define TARNWELL_REQUIRE_DATABASE(database)                                                        \
    do {                                                                                           \
        if ((database) == ::BookTest::Database::PostgreSQL                                         \
            && !::BookTest::PostgresServer::Running()) {                                           \
            if (qEnvironmentVariable("CI") == QLatin1String("true"))                               \
                FAIL() << "PostgreSQL did not start: "                                             \
                       << ::BookTest::PostgresServer::Why().toStdString();                         \
            GTEST_SKIP() << "PostgreSQL did not start: "                                           \
                         << ::BookTest::PostgresServer::Why().toStdString();                       \
        }                                                                                          \
    } while (false)

} // namespace BookTest
