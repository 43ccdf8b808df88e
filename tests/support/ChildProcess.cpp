#include "tests/support/ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <stdexcept>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace TestSupport {
namespace {

void MakePipe(int ends[2]) {
    if (::pipe(ends) != 0)
        throw std::runtime_error("pipe failed");
}

} // namespace

ChildResult RunInChild(const std::function<void()>& body, const std::string& input,
                       int timeoutSeconds) {
    int out[2], err[2], in[2];
    MakePipe(out);
    MakePipe(err);
    MakePipe(in);
    pid_t child = ::fork();
    if (child < 0)
        throw std::runtime_error("fork failed");
    if (child == 0) {
        ::dup2(in[0], 0);
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]})
            ::close(fd);
        body();
        ::_exit(0);
    }
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    // The input is small; a pipe holds it whole, and closing the write end
    // gives the child end of data after it.
    if (!input.empty() && ::write(in[1], input.data(), input.size()) < 0)
        throw std::runtime_error("writing the child's input failed");
    ::close(in[1]);

    ChildResult result;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* sinks[2] = {&result.StdOut, &result.StdErr};
    int open = 2;
    timespec start{};
    ::clock_gettime(CLOCK_MONOTONIC, &start);
    while (open > 0) {
        int ready = ::poll(fds, 2, 200);
        if (ready < 0 && errno != EINTR)
            break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP)))
                continue;
            char buffer[4096];
            ssize_t got = ::read(fds[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                sinks[i]->append(buffer, static_cast<size_t>(got));
            } else {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        if (now.tv_sec - start.tv_sec > timeoutSeconds) {
            ::kill(child, SIGKILL);
            break;
        }
    }
    for (auto& fd : fds)
        if (fd.fd >= 0)
            ::close(fd.fd);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status))
        result.ExitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        result.Signal = WTERMSIG(status);
    return result;
}

} // namespace TestSupport
