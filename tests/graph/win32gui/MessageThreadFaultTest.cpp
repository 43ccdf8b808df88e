// A fault in a message hook happens on the graph window's message thread: the
// run-time error ends the program from there, with the exit procedures and
// the closing of graphics run on that thread, which must not wait for itself.
#define DEFINE_FAULT_ROUTINES
#include "tests/support/FaultRoutines.h"

#include "desktop/headless/HeadlessDesktop.h"
#include "graph/Graph.h"
#include "graph/win32gui/Win32Gui.h"
#include "runtime/Lifecycle.h"
#include "runtime/StandardFiles.h"
#include "runtime/TextFile.h"
#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

using namespace Runtime;

ExitProcedure SavedExit;

// The exit procedure installed last runs first; the last finalisation runs
// after all of them, the graphics kernel's among them.
void GraphicsProgram() {
    WinApi::SelectDesktop(std::make_unique<WinApi::HeadlessDesktop>());
    InitFinal.Entries[3].Finalization = [] {
        WriteLn(StdOut, Graph::IsGraphMode ? "graph open" : "graph closed");
    };
    Graph::BindDisplayDriver(Win32Gui::Driver);
    InitFinal.Entries[4].Initialization = Graph::InitializeGraph;
    InitializeUnits();
    SavedExit = ExitProc;
    ExitProc = [] {
        ExitProc = SavedExit;
        WriteLn(StdOut, GetCurrentThreadId() == Win32Gui::MessageThreadID ? "exit on message thread"
                                                                          : "exit elsewhere");
    };
    std::int16_t driver = Graph::DetectDriver, mode = 0;
    Graph::InitGraph(driver, mode, "");
    Graph::CharMessageHandler = [](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
        return FaultIntegerDivide();
    };
    PostMessageA(Win32Gui::MainWindow, WM_KEYDOWN, 'A', 0);
    for (;;)
        Sleep(20);
}

TEST(MessageThreadFault, EndsTheProgramWithTheRunTimeErrorRaisedOnTheMessageThread) {
    auto result = TestSupport::RunInChild([] { ExeEntry(GraphicsProgram); }, {}, 20);
    // A hang shows as a signal.
    EXPECT_EQ(std::pair(result.Signal, result.ExitCode), std::pair(0, 200));
    char report[96];
    std::snprintf(
        report, sizeof report,
        "exit on message thread\r\ngraph closed\r\nRuntime error 200 at 0x%08lX\r\n",
        static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(FaultIntegerDivideAt)));
    EXPECT_EQ(result.StdOut.rfind(report, 0), 0u) << result.StdOut;
}

} // namespace
