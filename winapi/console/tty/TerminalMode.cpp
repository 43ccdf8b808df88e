#include "console/tty/TerminalMode.h"

#include "kernel/ProcessExit.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <pthread.h>
#include <termios.h>
#include <unistd.h>

namespace WinApi {
namespace {

enum : int {
    Untouched, // the console never changed the mode
    Applied,   // the console's mode is on
    Suspended, // the user's mode is back while the process is stopped
    Left,      // the user's mode is back for good
};

std::atomic<int> State{Untouched};
int Terminal = -1;
termios Saved{};
termios Console{};

constexpr char ResetLook[] = "\x1b[0m\x1b[?25h";

// A process in the background that changes the terminal's mode or writes to
// it would be stopped (SIGTTOU), so it leaves the terminal alone.
bool InForeground() {
    pid_t group = ::tcgetpgrp(Terminal);
    return group == -1 || group == ::getpgrp();
}

void PutBack() {
    if (!InForeground())
        return;
    ::tcsetattr(Terminal, TCSANOW, &Saved);
    ssize_t ignored = ::write(Terminal, ResetLook, sizeof ResetLook - 1);
    (void)ignored;
}

void ApplyAgain() {
    int state = State.load();
    if ((state == Applied || state == Suspended) && InForeground() &&
        State.compare_exchange_strong(state, Applied))
        ::tcsetattr(Terminal, TCSANOW, &Console);
}

void Handle(int signal, void (*handler)(int)) {
    struct sigaction old {};
    ::sigaction(signal, nullptr, &old);
    if (!(old.sa_flags & SA_SIGINFO) && old.sa_handler == SIG_IGN)
        return;
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(signal, &action, nullptr);
}

bool HasDefaultAction(int signal) {
    struct sigaction current {};
    ::sigaction(signal, nullptr, &current);
    return !(current.sa_flags & SA_SIGINFO) && current.sa_handler == SIG_DFL;
}

void DefaultAction(int signal) {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
}

// Every signal whose default action ends the process, but the faults, which
// the exception handling owns and which restore the terminal through the
// exit hooks. The real-time signals are left alone: the C library and the
// sanitizers keep some of them for themselves.
constexpr int EndingSignals[] = {SIGINT,  SIGTERM, SIGHUP,  SIGQUIT,   SIGABRT,  SIGUSR1,
                                 SIGUSR2, SIGALRM, SIGPIPE, SIGVTALRM, SIGPROF,  SIGXCPU,
                                 SIGXFSZ, SIGSYS,  SIGIO,   SIGPWR,    SIGSTKFLT};
// The faults, for a process whose faults nothing else handles; the
// exception handling takes them over when a filter is set.
constexpr int FaultSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGTRAP};

// Every signal whose default action stops the process, but SIGSTOP, which
// cannot be caught.
constexpr int StopSignals[] = {SIGTSTP, SIGTTIN, SIGTTOU};

// The layer's end-of-process work runs first (the terminal's mode among it,
// and whatever else the layer must finish, such as saving a window's
// picture). The signal is blocked while its handler runs, so the raised copy
// takes its default action as soon as the handler returns.
void OnEndingSignal(int signal) {
    int savedErrno = errno;
    RunProcessExitHooks();
    LeaveConsoleMode();
    DefaultAction(signal);
    ::raise(signal);
    errno = savedErrno;
}

void OnContinue(int);

// Stop with the default action, right here; SIGCONT resumes here.
void OnStop(int signal) {
    int savedErrno = errno;
    int expected = Applied;
    if (State.compare_exchange_strong(expected, Suspended))
        PutBack();
    DefaultAction(signal);
    ::raise(signal);
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, signal);
    sigset_t previous;
    ::pthread_sigmask(SIG_UNBLOCK, &stop, &previous);
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    Handle(signal, OnStop);
    ApplyAgain();
    errno = savedErrno;
}

// Also after a stop the console did not see (SIGSTOP), the shell may have
// changed the mode meanwhile.
void OnContinue(int) {
    int savedErrno = errno;
    ApplyAgain();
    errno = savedErrno;
}

void LeaveAtExit() {
    LeaveConsoleMode();
}

} // namespace

void EnterConsoleMode(int terminal) {
    if (State.load() != Untouched || ::tcgetattr(terminal, &Saved) != 0)
        return;
    Console = Saved;
    Console.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | IEXTEN);
    Console.c_iflag &= ~static_cast<tcflag_t>(IXON | ICRNL | INLCR);
    Console.c_cc[VMIN] = 1;
    Console.c_cc[VTIME] = 0;
    // Ctrl+Z and Ctrl+\ are keys on the console; only Ctrl+C ends the program.
    Console.c_cc[VSUSP] = _POSIX_VDISABLE;
    Console.c_cc[VQUIT] = _POSIX_VDISABLE;
    Terminal = terminal;
    // The state changes first: a signal from here on restores the saved mode,
    // which is still the terminal's own until the next line.
    State.store(Applied);
    AtProcessExit(LeaveConsoleMode);
    std::atexit(LeaveAtExit);
    for (int signal : EndingSignals)
        Handle(signal, OnEndingSignal);
    for (int signal : StopSignals)
        Handle(signal, OnStop);
    for (int signal : FaultSignals)
        if (HasDefaultAction(signal))
            Handle(signal, OnEndingSignal);
    Handle(SIGCONT, OnContinue);
    ::tcsetattr(terminal, TCSANOW, &Console);
}

void LeaveConsoleMode() {
    if (State.load() == Untouched)
        return;
    int state = State.exchange(Left);
    if (state == Applied)
        PutBack();
    else if (state == Suspended && InForeground()) {
        ssize_t ignored = ::write(Terminal, ResetLook, sizeof ResetLook - 1);
        (void)ignored;
    }
}

} // namespace WinApi
