// Runs every layer check on Windows and prints what differed; the exit code
// is the number of checks that failed.
#include "LayerChecks.h"

#include <cstdio>

int main() {
    int failed = 0;
    for (const LayerChecks::Check& check : LayerChecks::AllChecks()) {
        auto failures = check.Run();
        std::printf("%s %s\n", failures.empty() ? "PASS" : "FAIL", check.Name);
        for (const std::string& failure : failures)
            std::printf("    %s\n", failure.c_str());
        failed += failures.empty() ? 0 : 1;
    }
    return failed;
}
