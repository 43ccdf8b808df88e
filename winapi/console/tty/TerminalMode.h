// The terminal's mode while the console is attached, and its restoration on
// every way out of the process.
//
// On first use the console clears ICANON, ECHO, IEXTEN, IXON, ICRNL and
// INLCR (keys arrive one by one, unechoed, untranslated; Ctrl+C stays a
// signal since ISIG is kept, and output processing is kept with OPOST), with
// VMIN 1 and VTIME 0; the suspend and quit characters are turned off, so
// Ctrl+Z and Ctrl+\ arrive as keys. The saved mode comes back, with the
// colours reset and the cursor shown:
// - on ExitProcess, through the layer's process exit hooks (which the fault
//   handling also runs from its signal handler), and on exit() or a return
//   from main, through atexit;
// - on every signal whose default action ends the process (SIGINT, SIGTERM,
//   SIGHUP, SIGQUIT, SIGABRT, SIGUSR1, ...), which then takes that action,
//   so that the status says which signal killed it;
// - on SIGTSTP, SIGTTIN and SIGTTOU, which then stop the process; on SIGCONT
//   the console's mode is applied again. A stopped process continued in the background leaves
//   the terminal alone until it is brought to the foreground.
// A signal the process was started with ignored stays ignored. The faults
// (SIGSEGV, SIGFPE, SIGBUS, SIGILL, SIGTRAP) belong to the exception
// handling, which restores the mode through the exit hooks; until a filter is
// set they end the process as the other signals do.
//
// The restoring code is async-signal-safe and runs at most once.
#pragma once

namespace WinApi {

// Saves the terminal's mode and applies the console's; once per process.
void EnterConsoleMode(int terminal);
// Puts the saved mode back for good; safe in a signal handler.
void LeaveConsoleMode();

} // namespace WinApi
