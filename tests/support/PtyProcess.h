// A program run on a pseudo-terminal, as a user runs it on a terminal: the
// test types into it, reads what it echoes and printed, and waits for its end.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace TestSupport {

class PtyProcess {
public:
    // Starts path with the given extra environment ("NAME=value").
    explicit PtyProcess(const std::string& path, const std::vector<std::string>& environment = {});
    ~PtyProcess(); // kills the program if it still runs
    PtyProcess(const PtyProcess&) = delete;
    PtyProcess& operator=(const PtyProcess&) = delete;

    bool Started() const { return Child > 0; }
    void Type(const std::string& bytes);
    // Everything the program wrote to the terminal so far (reads what is
    // waiting without blocking).
    const std::string& Output();
    // Waits for the end at most timeoutSeconds; the exit code, 128 + signal
    // when killed, or -1 on time-out.
    int Wait(int timeoutSeconds);

private:
    pid_t Child = -1;
    int Master = -1;
    std::string Collected;
    int Status = -1;
};

} // namespace TestSupport
