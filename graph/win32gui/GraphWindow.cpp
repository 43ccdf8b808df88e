// The graph window: its message thread, class, creation and window procedure.
// The message thread alone creates, repaints and destroys the window and the
// back buffer; the drawing thread only draws, under GraphDrawing.
#include "graph/win32gui/Win32Gui.h"

#include "graph/GraphState.h"
#include "graph/OperationTable.h"
#include "runtime/FloatingPoint.h"
#include "runtime/Lifecycle.h"

namespace Win32Gui {

// Grouped as in Win32Gui.h, by the thread or lock that owns them.
DWORD ExtraStyle = 0;
bool DrawToBitmap = true;
bool DrawToScreen = true;
UINT GraphWindowStyle = CS_VREDRAW | CS_HREDRAW;
const char* WindowTitle = "Graph window application";
std::uint16_t FPUCW = 0x1332;

HANDLE MessageThreadHandle = nullptr;
DWORD MessageThreadID = 0;
bool MessageThreadHandleValid = false;
HANDLE GraphInit = nullptr;

bool WinRegistered = false;
HWND MainWindow = nullptr;

CRITICAL_SECTION GraphDrawing;
std::atomic<bool> GraphRunning{false};
HDC BitmapDC = nullptr;
HDC WinDC = nullptr;
HBITMAP SavedScreen = nullptr;
HBITMAP OldBitmap = nullptr;
HPEN Pens[16] = {};
HBITMAP BitmapFontHorizonCache[256] = {};
HBITMAP BitmapFontVerticalCache[256] = {};
std::unique_ptr<Graph::RGBEntry[]> Pal;
std::int32_t PalSize = 0;

namespace {

// Paints a rectangle black with the stock pen and brush, keeping what the
// context had selected.
void PaintBlack(HDC dc, int right, int bottom) {
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(BLACK_BRUSH));
    Rectangle(dc, 0, 0, right, bottom);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
}

void CreateBackBuffer(HWND window) {
    DrawingLock hold;
    const int width = Graph::MaxX + 1;
    const int height = Graph::MaxY + 1;
    HDC windowDC = GetDC(window);
    BitmapDC = CreateCompatibleDC(windowDC);
    SavedScreen = CreateCompatibleBitmap(windowDC, width, height);
    ReleaseDC(window, windowDC);
    OldBitmap = static_cast<HBITMAP>(SelectObject(BitmapDC, SavedScreen));
    WinDC = GetDC(window);
    PaintBlack(BitmapDC, width, height);
    PaintBlack(WinDC, Graph::MaxX, Graph::MaxY);
    for (int i = 0; i < 256; ++i) {
        BitmapFontHorizonCache[i] = nullptr;
        BitmapFontVerticalCache[i] = nullptr;
    }
    for (HPEN& pen : Pens)
        pen = nullptr;
    GraphRunning = true;
}

void Repaint(HWND window) {
    RECT update;
    if (!GetUpdateRect(window, &update, FALSE))
        return;
    DrawingLock hold;
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    // The drawing thread may have invalidated more since the update
    // rectangle was read, and BeginPaint has validated that too: copy the
    // rectangle BeginPaint painted, or a part of an image put meanwhile would
    // never reach the window. One more column and row than the rectangle,
    // whose right and bottom edges are exclusive: the extra line is clipped
    // away.
    const RECT& area = paint.rcPaint;
    if (GraphRunning)
        BitBlt(dc, area.left, area.top, area.right - area.left + 1, area.bottom - area.top + 1,
               BitmapDC, area.left, area.top, SRCCOPY);
    EndPaint(window, &paint);
}

void ReleaseBackBuffer(HWND window) {
    DrawingLock hold;
    GraphRunning = false;
    ReleaseDC(window, WinDC);
    SelectObject(BitmapDC, OldBitmap);
    DeleteObject(SavedScreen);
    DeleteDC(BitmapDC);
    // The entries keep their values; WM_CREATE empties them before reuse.
    for (HBITMAP glyph : BitmapFontHorizonCache)
        if (glyph)
            DeleteObject(glyph);
    for (HBITMAP glyph : BitmapFontVerticalCache)
        if (glyph)
            DeleteObject(glyph);
    for (HPEN pen : Pens)
        if (pen)
            DeleteObject(pen);
    Pal.reset();
    PalSize = 0;
}

LRESULT PassToHook(Graph::MessageHandlerProc hook, HWND window, UINT message, WPARAM wParam,
                   LPARAM lParam) {
    return hook ? hook(window, message, wParam, lParam) : 0;
}

} // namespace

DWORD WINAPI MessageHandleThread(LPVOID) {
    Runtime::LoadFpuControlWord(FPUCW);
    if (!WinRegistered) {
        if (!WinRegister()) {
            MessageBoxA(nullptr, "Window registration failed", nullptr, MB_OK);
            SetEvent(GraphInit);
            return 1;
        }
        WinRegistered = true;
    }
    MainWindow = WinCreate();
    // Makes sure the thread has a message queue before the drawing side is
    // told to go on.
    MSG message;
    PeekMessageA(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    SetEvent(GraphInit);
    if (!MainWindow) {
        MessageBoxA(nullptr, "Window creation failed", nullptr, MB_OK);
        return 1;
    }
    message.wParam = 0;
    while (GetMessageA(&message, nullptr, 0, 0) == 1) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<DWORD>(message.wParam);
}

bool WinRegister() {
    WNDCLASSA windowClass{};
    windowClass.style = GraphWindowStyle;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = Runtime::MainInstance;
    windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = GraphWindowClass;
    return (RegisterClassA(&windowClass) & 0xFFFF) != 0;
}

HWND WinCreate() {
    const int width = Graph::MaxX + 1 + 2 * GetSystemMetrics(SM_CXFRAME);
    const int height =
        Graph::MaxY + 1 + 2 * GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION);
    HWND window = CreateWindowExA(0, GraphWindowClass, WindowTitle,
                                  ExtraStyle | WS_VISIBLE | WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0,
                                  width, height, nullptr, nullptr, Runtime::MainInstance, nullptr);
    if (window) {
        ShowWindow(window, SW_SHOW);
        UpdateWindow(window);
    }
    return window;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        CreateBackBuffer(window);
        return 0;
    case WM_DESTROY:
        ReleaseBackBuffer(window);
        PostQuitMessage(0);
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_PAINT:
        Repaint(window);
        return 0;
    case WM_CLOSE:
        // The program learns through its character hook that the window goes.
        PassToHook(Graph::CharMessageHandler, window, message, wParam, lParam);
        DestroyWindow(window);
        return 0;
    // Keyboard and mouse-button messages go to the program's hooks and never
    // to default processing.
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
        return PassToHook(Graph::CharMessageHandler, window, message, wParam, lParam);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
        return PassToHook(Graph::MouseMessageHandler, window, message, wParam, lParam);
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

} // namespace Win32Gui
