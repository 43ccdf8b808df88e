// A program run on a pseudo-terminal, as a user runs it on a terminal: the
// test types into it, reads what it echoes and printed, and waits for its end.
// The program is a function run in a forked child, which may exec one.
#pragma once

#include <functional>
#include <string>
#include <sys/types.h>
#include <termios.h>

namespace TestSupport {

class PtyProcess {
public:
    // Runs body in a child on the terminal; the child exits with code 0 when
    // body returns.
    explicit PtyProcess(const std::function<void()>& body);
    ~PtyProcess(); // kills the program if it still runs
    PtyProcess(const PtyProcess&) = delete;
    PtyProcess& operator=(const PtyProcess&) = delete;

    // The program's process id, which is also its session's and group's.
    pid_t Id() const { return Child; }
    void Type(const std::string& bytes);
    // Everything the program wrote to the terminal so far (reads what is
    // waiting without blocking).
    const std::string& Output();
    // Waits until the output contains text, at most timeoutSeconds.
    bool WaitForOutput(const std::string& text, int timeoutSeconds);
    // Waits for the end at most timeoutSeconds; the exit code, 128 + signal
    // when killed, or -1 on time-out.
    int Wait(int timeoutSeconds);
    // Closes the terminal's master side, as a terminal window that is closed
    // does: the program's side hangs up.
    void HangUp();
    // The terminal's current mode, as the program's side of it has it.
    termios Mode() const;

private:
    pid_t Child = -1;
    int Master = -1;
    int Slave = -1; // kept open so that the mode outlives the program
    std::string Collected;
    int Status = -1;
};

} // namespace TestSupport
