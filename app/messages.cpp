#include "app/messages.h"

#include <iostream>

// std::cerr is unit-buffered and tied to std::cout, so each piece reaches
// descriptor 2 as it is written. Write errors leave the stream failed and
// later lines are dropped; the run goes on regardless.

void ReportStartupFailure()
{
    std::cerr << "Fatal Error: MFC initialization failed" << std::endl;
}

void ReportRemovalFailure(const char *kind, const char *name)
{
    std::cerr << kind << name << " cannot be removed\n";
}
