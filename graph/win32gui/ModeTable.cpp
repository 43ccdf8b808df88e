// The modes the driver offers and the set-up of a mode: fifteen window modes
// registered from the desktop's measures at start-up, and the handshake that
// brings up the graph window's message thread when a mode is set.
#include "graph/win32gui/Win32Gui.h"

#include "graph/GraphState.h"
#include "graph/ModeRegistry.h"
#include "graph/OperationTable.h"
#include "graph/ViewPort.h"

namespace Win32Gui {
namespace {

struct ModeRow {
    bool Offered;
    std::int16_t Driver;
    std::int16_t Mode;
    const char* Name;
    int Width;
    int Height;
    std::int32_t Colors;
};

// The operations of every mode; the other slots keep the kernel's defaults.
void SetupWin32GUIDefault(Graph::TModeInfo& record) {
    record.DirectPutPixel = DirectPutPixel16Win32GUI;
    record.GetPixel = GetPixel16Win32GUI;
    record.PutPixel = PutPixel16Win32GUI;
    record.SetRGBPalette = SetRGBPaletteWin32GUI;
    record.GetRGBPalette = GetRGBPaletteWin32GUI;
    record.SetVisualPage = SetVisualWin32GUI;
    record.SetActivePage = SetActiveWin32GUI;
    record.HLine = HLine16Win32GUI;
    record.VLine = VLine16Win32GUI;
    record.PutImage = PutImageWin32GUI;
    record.OutTextXY = OutTextXYWin32GUI;
    record.InitModeProc = InitWin32GUI16Colors;
}

void RegisterMode(const ModeRow& row) {
    Graph::TModeInfo record;
    Graph::InitMode(record);
    record.DriverNumber = row.Driver;
    record.HardwarePages = 0;
    record.ModeNumber = row.Mode;
    record.ModeName = row.Name;
    record.MaxColor = row.Colors;
    record.PaletteSize = row.Colors;
    record.DirectColor = false;
    record.MaxX = Graph::Low16U(row.Width - 1);
    record.MaxY = Graph::Low16U(row.Height - 1);
    SetupWin32GUIDefault(record);
    record.XAspect = 10000;
    record.YAspect = 10000;
    Graph::AddMode(record);
}

} // namespace

void InitWin32GUI16Colors() {
    // A window already exists: it keeps its size, bitmap and palette.
    if (GraphRunning)
        return;

    PalSize = Graph::MaxColor;
    Pal = std::make_unique<Graph::RGBEntry[]>(static_cast<size_t>(PalSize));
    for (std::int32_t i = 0; i < PalSize && i < 256; ++i)
        Pal[i] = Graph::DefaultColors[i];

    ExtraStyle = (Graph::IntCurrentMode >= 245 && Graph::IntCurrentMode <= 249) ? WS_MAXIMIZE : 0;
    InitializeCriticalSection(&GraphDrawing);
    GraphInit = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    GraphRunning = false;
    MessageThreadHandle =
        CreateThread(nullptr, 0, MessageHandleThread, nullptr, 0, &MessageThreadID);

    const bool threadStarted = MessageThreadHandle != nullptr;
    bool threadEnded = !threadStarted;
    // The message thread sets GraphRunning once the window and its back
    // buffer exist, or ends when it cannot make them. This wait is short: it
    // lasts as long as the window takes to appear, or as long as a failure
    // message box stays open.
    while (!threadEnded && !GraphRunning) {
        DWORD exitCode = STILL_ACTIVE;
        GetExitCodeThread(MessageThreadHandle, &exitCode);
        threadEnded = exitCode != STILL_ACTIVE;
    }

    if (threadEnded) {
        Graph::GraphResult = Graph::GraphError;
        if (MessageThreadHandle)
            CloseHandle(MessageThreadHandle);
        MessageThreadHandle = nullptr;
        DeleteCriticalSection(&GraphDrawing);
        // No window was made, so no WM_DESTROY will release the palette.
        Pal.reset();
        PalSize = 0;
    } else {
        MessageThreadHandleValid = true;
    }

    // The thread signals the event in every case before it ends (and only
    // after the window is shown and its queue exists when it succeeds); a
    // thread that could not even start signals nothing.
    if (threadStarted)
        WaitForSingleObject(GraphInit, INFINITE);
    CloseHandle(GraphInit);
    GraphInit = nullptr;
}

void QueryAdapterInfo() {
    // A window needs no video state saved or restored.
    Graph::SaveVideoState = Graph::SaveState;
    Graph::RestoreVideoState = Graph::RestoreState;

    // The largest client area of a framed, captioned window on the screen, and
    // the client area of a maximised window.
    const int W = GetSystemMetrics(SM_CXSCREEN) - 2 * GetSystemMetrics(SM_CXFRAME);
    const int H = GetSystemMetrics(SM_CYSCREEN) - 2 * GetSystemMetrics(SM_CYFRAME) -
                  GetSystemMetrics(SM_CYCAPTION);
    const int FW = GetSystemMetrics(SM_CXFULLSCREEN);
    const int FH = GetSystemMetrics(SM_CYFULLSCREEN);

    if (Graph::ModeList)
        return;

    const ModeRow rows[] = {
        {W >= 640 && H >= 480, 9, 2, "640 x 480 x 16 Win32GUI", 640, 480, 16},
        {W >= 640 && H >= 200, 9, 0, "640 x 200 x 16 Win32GUI", 640, 200, 16},
        {W >= 640 && H >= 350, 9, 1, "640 x 350 x 16 Win32GUI", 640, 350, 16},
        {W >= 640 && H >= 400, 10, 0x100, "640 x 400 x 256 Win32GUI", 640, 400, 256},
        {W >= 640 && H >= 480, 10, 0x101, "640 x 480 x 256 Win32GUI", 640, 480, 256},
        {W >= 800 && H >= 600, 10, 0x102, "800 x 600 x 16 Win32GUI", 800, 600, 16},
        {W >= 800 && H >= 600, 10, 0x103, "800 x 600 x 256 Win32GUI", 800, 600, 256},
        {W >= 1024 && H >= 768, 10, 0x104, "1024 x 768 x 16 Win32GUI", 1024, 768, 16},
        {W >= 1024 && H >= 768, 10, 0x105, "1024 x 768 x 256 Win32GUI", 1024, 768, 256},
        {W >= 1280 && H >= 1024, 10, 0x106, "1280 x 1024 x 16 Win32GUI", 1280, 1024, 16},
        {W >= 1280 && H >= 1024, 10, 0x107, "1280 x 1024 x 256 Win32GUI", 1280, 1024, 256},
        {true, 10, 0xF0, "Largest Window x 16", W, H, 16},
        {true, 10, 0xF1, "Largest Window x 256", W, H, 256},
        {true, 10, 0xF5, "Maximized Window x 16", FW, FH, 16},
        {true, 10, 0xF6, "Maximized Window x 256", FW, FH, 256},
    };
    for (const ModeRow& row : rows)
        if (row.Offered)
            RegisterMode(row);
}

void CloseDriver() {
    // Closing from the message thread itself (a run-time error raised there
    // runs the exit procedures on it) must not wait for that thread to end:
    // it never would. The process ends right after.
    const bool onMessageThread =
        MessageThreadHandleValid && GetCurrentThreadId() == MessageThreadID;
    if (onMessageThread)
        return;

    // When the user has closed the window, nothing is posted; its thread may
    // still be releasing the back buffer under the lock, so it is waited for
    // all the same before the lock is deleted.
    bool posted = true;
    if (GraphRunning) {
        posted = PostMessageA(MainWindow, WM_CLOSE, 0, 0);
        if (!posted) {
            Sleep(1);
            posted = PostMessageA(MainWindow, WM_CLOSE, 0, 0);
        }
    }
    // When both posts fail the window is already going (the user closed it
    // meanwhile) or cannot be reached: wait a bounded time rather than for
    // ever.
    if (MessageThreadHandleValid)
        WaitForSingleObject(MessageThreadHandle, posted ? INFINITE : 5000);
    if (MessageThreadHandleValid) {
        MessageThreadHandleValid = false;
        CloseHandle(MessageThreadHandle);
        MessageThreadHandle = nullptr;
        DeleteCriticalSection(&GraphDrawing);
    }
}

const Graph::DisplayDriver Driver{QueryAdapterInfo, CloseDriver};

} // namespace Win32Gui
