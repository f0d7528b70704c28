// tarnwell-quote: a closing quote from the command line.

#include "quote/QuoteProgram.h"

#include <csignal>
#include <iostream>

int main(int argc, char* argv[])
{
    // A reader that closes the pipe early (| head) makes the next write fail;
    // the program then says so and ends with status 2 rather than dying of
    // SIGPIPE, so that closing software sees one status for a cut-off quote.
    std::signal(SIGPIPE, SIG_IGN);
    std::ios::sync_with_stdio(false);
    return Quote::RunQuote(std::vector<std::string>(argv + 1, argv + argc), std::cin, std::cout,
                           std::cerr);
}
