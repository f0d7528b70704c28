// The book's tests: a Qt core application (for the SQL drivers) and the
// PostgreSQL server they share.

#include "tests/book/BookServers.h"

#include <QCoreApplication>
#include <QLocale>

#include <gtest/gtest.h>

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    QLocale::setDefault(QLocale::c());
    ::testing::InitGoogleTest(&argc, argv);
    // gtest_discover_tests lists the tests without running them.
    if (!::testing::GTEST_FLAG(list_tests))
        ::testing::AddGlobalTestEnvironment(BookTest::PostgresServer::Instance());
    return RUN_ALL_TESTS();
}
