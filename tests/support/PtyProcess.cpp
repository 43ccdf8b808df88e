#include "tests/support/PtyProcess.h"

#include "tests/support/Eventually.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

namespace TestSupport {

PtyProcess::PtyProcess(const std::function<void()>& body) {
    // Buffered output of the test would otherwise be written twice, once by
    // the child onto the terminal.
    std::fflush(nullptr);
    winsize size{25, 80, 0, 0};
    Child = ::forkpty(&Master, nullptr, nullptr, &size);
    if (Child == 0) {
        body();
        ::_exit(0);
    }
    if (Master >= 0) {
        ::fcntl(Master, F_SETFL, ::fcntl(Master, F_GETFL) | O_NONBLOCK);
        if (const char* name = ::ptsname(Master))
            Slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    }
}

PtyProcess::~PtyProcess() {
    if (Child > 0 && Status == -1) {
        ::kill(Child, SIGKILL);
        ::waitpid(Child, nullptr, 0);
    }
    if (Slave >= 0)
        ::close(Slave);
    if (Master >= 0)
        ::close(Master);
}

void PtyProcess::Type(const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t put = ::write(Master, bytes.data() + done, bytes.size() - done);
        if (put > 0)
            done += static_cast<size_t>(put);
        else if (errno != EAGAIN && errno != EINTR)
            return;
    }
}

const std::string& PtyProcess::Output() {
    char buffer[4096];
    for (ssize_t got; (got = ::read(Master, buffer, sizeof buffer)) > 0;)
        Collected.append(buffer, static_cast<size_t>(got));
    return Collected;
}

bool PtyProcess::WaitForOutput(const std::string& text, int timeoutSeconds) {
    return Eventually([&] { return Output().find(text) != std::string::npos; }, timeoutSeconds);
}

int PtyProcess::Wait(int timeoutSeconds) {
    Eventually(
        [&] {
            // The terminal is kept drained so that the program never blocks on it.
            Output();
            int status = 0;
            if (Status == -1 && ::waitpid(Child, &status, WNOHANG) == Child) {
                Output();
                Status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            return Status != -1;
        },
        timeoutSeconds, std::chrono::milliseconds(20));
    return Status;
}

void PtyProcess::HangUp() {
    Output();
    for (int* side : {&Slave, &Master}) {
        if (*side >= 0)
            ::close(*side);
        *side = -1;
    }
}

termios PtyProcess::Mode() const {
    termios mode{};
    ::tcgetattr(Slave, &mode);
    return mode;
}

} // namespace TestSupport
