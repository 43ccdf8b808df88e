// Checks of the Windows calls the system relies on, written once against
// <windows.h>: built against our layer on Linux (under GoogleTest) and
// against the real system headers for Windows (a plain program), so that
// both answer the same questions.
#pragma once

#include <string>
#include <vector>

namespace LayerChecks {

struct Check {
    const char* Name;
    // Returns what differed from the documented behaviour; empty when
    // nothing did.
    std::vector<std::string> (*Run)();
};

const std::vector<Check>& AllChecks();

} // namespace LayerChecks
