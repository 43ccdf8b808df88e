#include "tests/support/PtyProcess.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace TestSupport {

PtyProcess::PtyProcess(const std::string& path, const std::vector<std::string>& environment) {
    winsize size{25, 80, 0, 0};
    Child = ::forkpty(&Master, nullptr, nullptr, &size);
    if (Child == 0) {
        for (const std::string& setting : environment)
            ::putenv(const_cast<char*>(setting.c_str()));
        ::execl(path.c_str(), path.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    if (Master >= 0)
        ::fcntl(Master, F_SETFL, ::fcntl(Master, F_GETFL) | O_NONBLOCK);
}

PtyProcess::~PtyProcess() {
    if (Child > 0 && Status == -1) {
        ::kill(Child, SIGKILL);
        ::waitpid(Child, nullptr, 0);
    }
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

int PtyProcess::Wait(int timeoutSeconds) {
    if (Status != -1)
        return Status;
    timespec start{};
    ::clock_gettime(CLOCK_MONOTONIC, &start);
    for (;;) {
        Output(); // keep the terminal drained so the program never blocks on it
        int status = 0;
        pid_t done = ::waitpid(Child, &status, WNOHANG);
        if (done == Child) {
            Output();
            Status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return Status;
        }
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        if (now.tv_sec - start.tv_sec >= timeoutSeconds)
            return -1;
        ::usleep(20000);
    }
}

} // namespace TestSupport
