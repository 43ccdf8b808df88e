#include "tests/support/PtyProcess.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace TestSupport {
namespace {

timespec Now() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return now;
}

double SecondsSince(const timespec& start) {
    const timespec now = Now();
    return static_cast<double>(now.tv_sec - start.tv_sec) +
           static_cast<double>(now.tv_nsec - start.tv_nsec) / 1e9;
}

} // namespace

PtyProcess::PtyProcess(const std::string& path, const std::vector<std::string>& environment) {
    Start([&] {
        for (const std::string& setting : environment)
            ::putenv(const_cast<char*>(setting.c_str()));
        ::execl(path.c_str(), path.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    });
}

PtyProcess::PtyProcess(const std::function<void()>& body) {
    Start([&] {
        body();
        ::_exit(0);
    });
}

void PtyProcess::Start(const std::function<void()>& inChild) {
    // Buffered output of the test would otherwise be written twice, once by
    // the child onto the terminal.
    std::fflush(nullptr);
    winsize size{25, 80, 0, 0};
    Child = ::forkpty(&Master, nullptr, nullptr, &size);
    if (Child == 0)
        inChild();
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
    for (;;) {
        ssize_t got = ::read(Master, buffer, sizeof buffer);
        if (got <= 0)
            break;
        Collected.append(buffer, static_cast<size_t>(got));
    }
    return Collected;
}

bool PtyProcess::WaitForOutput(const std::string& text, int timeoutSeconds) {
    timespec start = Now();
    while (Output().find(text) == std::string::npos) {
        if (SecondsSince(start) >= timeoutSeconds)
            return false;
        ::usleep(10000);
    }
    return true;
}

int PtyProcess::Wait(int timeoutSeconds) {
    if (Status != -1)
        return Status;
    timespec start = Now();
    for (;;) {
        Output(); // keep the terminal drained so the program never blocks on it
        int status = 0;
        pid_t done = ::waitpid(Child, &status, WNOHANG);
        if (done == Child) {
            Output();
            Status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return Status;
        }
        if (SecondsSince(start) >= timeoutSeconds)
            return -1;
        ::usleep(20000);
    }
}

void PtyProcess::HangUp() {
    Output();
    for (int* side : {&Slave, &Master}) {
        if (*side >= 0)
            ::close(*side);
        *side = -1;
    }
}

void PtyProcess::Signal(int signal) {
    ::kill(Child, signal);
}

termios PtyProcess::Mode() const {
    termios mode{};
    ::tcgetattr(Slave, &mode);
    return mode;
}

} // namespace TestSupport
