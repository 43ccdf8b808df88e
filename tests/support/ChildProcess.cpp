#include "tests/support/ChildProcess.h"

#include "tests/support/Eventually.h"

#include <csignal>
#include <stdexcept>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

namespace TestSupport {

std::string Contents(int file) {
    std::string text;
    char buffer[4096];
    for (ssize_t got; (got = ::pread(file, buffer, sizeof buffer, std::ssize(text))) > 0;)
        text.append(buffer, static_cast<size_t>(got));
    ::close(file);
    return text;
}

ChildResult RunInChild(const std::function<void()>& body, const std::string& input,
                       int timeoutSeconds) {
    // Output goes to files rather than pipes, so that nothing the child leaves
    // running can keep the parent reading, nor can a full pipe stop the child.
    int in[2];
    const int out = ::memfd_create("stdout", 0), err = ::memfd_create("stderr", 0);
    if (out < 0 || err < 0 || ::pipe(in) != 0)
        throw std::runtime_error("cannot make the child's standard files");
    const pid_t child = ::fork();
    if (child < 0)
        throw std::runtime_error("fork failed");
    if (child == 0) {
        ::dup2(in[0], 0);
        ::dup2(out, 1);
        ::dup2(err, 2);
        for (int fd : {in[0], in[1], out, err})
            ::close(fd);
        body();
        ::_exit(0);
    }
    ::close(in[0]);
    // The input is small; a pipe holds it whole, and closing the write end
    // gives the child end of data after it.
    if (!input.empty() && ::write(in[1], input.data(), input.size()) < 0)
        throw std::runtime_error("writing the child's input failed");
    ::close(in[1]);
    int status = 0;
    if (!Eventually([&] { return ::waitpid(child, &status, WNOHANG) == child; }, timeoutSeconds)) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
    }
    ChildResult result{-1, 0, Contents(out), Contents(err)};
    if (WIFEXITED(status))
        result.ExitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        result.Signal = WTERMSIG(status);
    return result;
}

} // namespace TestSupport
