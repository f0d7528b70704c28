#include "bookcli/BookProgram.h"

#include <QCoreApplication>

#include <iostream>

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    std::vector<std::string> args(argv + 1, argv + argc);
    return BookCli::RunBook(args, std::cin, std::cout, std::cerr);
}
