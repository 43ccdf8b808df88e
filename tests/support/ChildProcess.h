// Runs a piece of code in a child process and collects what it printed and how
// it ended: for code that must end the process (Halt, run-time errors) and
// whose output on standard output and standard error both matter.
#pragma once

#include <functional>
#include <string>

namespace TestSupport {

struct ChildResult {
    int ExitCode = -1;  // the exit status, or -1 when the child was killed
    int Signal = 0;     // the signal that killed the child, or 0
    std::string StdOut; // everything written to descriptor 1
    std::string StdErr; // everything written to descriptor 2
};

// Forks; the child runs body with its standard output and error on files of
// its own and its standard input on a pipe holding input, and exits with code
// 0 if body returns. The parent waits for it, at most timeoutSeconds.
// Everything written to the file, read from its start; closes it.
std::string Contents(int file);

ChildResult RunInChild(const std::function<void()>& body, const std::string& input = {},
                       int timeoutSeconds = 30);

} // namespace TestSupport
