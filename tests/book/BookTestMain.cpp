// The book's tests: a Qt Gui application on the offscreen platform (for the
// SQL drivers, and the fonts of the report's PDF) and the PostgreSQL server
// they share.

#include "tests/book/BookServers.h"

#include <QGuiApplication>
#include <QLocale>

#include <gtest/gtest.h>

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    QLocale::setDefault(QLocale::c());
    ::testing::InitGoogleTest(&argc, argv);
    // gtest_discover_tests lists the tests without running them.
    if (!::testing::GTEST_FLAG(list_tests))
        ::testing::AddGlobalTestEnvironment(BookTest::PostgresServer::Instance());
    return RUN_ALL_TESTS();
}
