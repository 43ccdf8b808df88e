// The checks draw into a memory bitmap compatible with a window's DC and
// read the pixels back, and log the messages a window procedure receives.
#include "LayerChecks.h"

#include <windows.h>

#include <string>
#include <vector>

namespace LayerChecks {
namespace {

using Failures = std::vector<std::string>;

// Registers a window class of the name (again: it is there already).
const char* WindowClass(const char* name, WNDPROC procedure) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = name;
    RegisterClassA(&windowClass);
    return name;
}

// A memory bitmap in the screen's format, made compatible with a hidden
// window's DC, cleared to black.
struct Canvas {
    int Width, Height;
    HWND Window = CreateWindowExA(0, WindowClass("LayerCheckCanvas", DefWindowProcA), "layer check",
                                  WS_OVERLAPPEDWINDOW, 0, 0, 200, 200, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    HDC WindowDc = GetDC(Window);
    HDC Dc = CreateCompatibleDC(WindowDc);
    HBITMAP Bitmap = CreateCompatibleBitmap(WindowDc, Width, Height);
    HGDIOBJ Old = SelectObject(Dc, Bitmap);

    Canvas(int width, int height) : Width(width), Height(height) {
        ReleaseDC(Window, WindowDc);
        Clear();
    }
    ~Canvas() {
        SelectObject(Dc, Old);
        DeleteDC(Dc);
        DeleteObject(Bitmap);
        DestroyWindow(Window);
    }
    void Clear() {
        RECT all{0, 0, Width, Height};
        FillRect(Dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    // The lit pixels, row by row, as "x,y" separated by spaces.
    std::string Lit() const {
        std::string text;
        for (int i = 0; i < Width * Height; ++i)
            if (GetPixel(Dc, i % Width, i / Width) != RGB(0, 0, 0))
                text += (text.empty() ? "" : " ") + std::to_string(i % Width) + "," +
                        std::to_string(i / Width);
        return text;
    }
};

void Expect(Failures& failures, const std::string& what, const std::string& expected,
            const std::string& got) {
    if (got != expected)
        failures.push_back(what + ": expected [" + expected + "], got [" + got + "]");
}

// Lines with exact ties between two pixels in every octant: the pixel drawn
// is the one with the smaller minor coordinate whichever way the line is
// drawn; the end point is never drawn.
Failures SlantedLines() {
    struct Line {
        int X0, Y0, X1, Y1;
        const char* Lit;
    };
    static const Line lines[] = {
        {1, 1, 9, 5, "1,1 2,1 3,2 4,2 5,3 6,3 7,4 8,4"},
        {9, 5, 1, 1, "2,1 3,2 4,2 5,3 6,3 7,4 8,4 9,5"},
        {1, 5, 9, 1, "8,1 6,2 7,2 4,3 5,3 2,4 3,4 1,5"},
        {9, 1, 1, 5, "8,1 9,1 6,2 7,2 4,3 5,3 2,4 3,4"},
        {1, 1, 5, 9, "1,1 1,2 2,3 2,4 3,5 3,6 4,7 4,8"},
        {5, 9, 1, 1, "1,2 2,3 2,4 3,5 3,6 4,7 4,8 5,9"},
        {5, 1, 1, 9, "5,1 4,2 4,3 3,4 3,5 2,6 2,7 1,8"},
        {1, 9, 5, 1, "4,2 4,3 3,4 3,5 2,6 2,7 1,8 1,9"},
        {0, 0, 10, 3, "0,0 1,0 2,1 3,1 4,1 5,1 6,2 7,2 8,2 9,3"},
    };
    Failures failures;
    Canvas canvas(12, 12);
    SelectObject(canvas.Dc, GetStockObject(WHITE_PEN));
    for (const Line& line : lines) {
        canvas.Clear();
        MoveToEx(canvas.Dc, line.X0, line.Y0, nullptr);
        LineTo(canvas.Dc, line.X1, line.Y1);
        Expect(failures, "line from " + std::to_string(line.X0) + "," + std::to_string(line.Y0),
               line.Lit, canvas.Lit());
    }
    return failures;
}

// A row of distinct colours stretched to other widths: which source column
// each destination column shows.
Failures StretchedRows() {
    struct Stretch {
        int From, To;
        const char* Columns;
    };
    static const Stretch stretches[] = {
        {8, 11, "0 1 1 2 3 3 4 5 6 6 7"},           {3, 8, "0 0 0 1 1 2 2 2"},
        {5, 12, "0 0 1 1 1 2 2 3 3 3 4 4"},         {3, 10, "0 0 0 1 1 1 1 2 2 2"},
        {8, 16, "0 0 1 1 2 2 3 3 4 4 5 5 6 6 7 7"},
    };
    Failures failures;
    Canvas canvas(20, 2);
    for (const Stretch& stretch : stretches) {
        canvas.Clear();
        for (int x = 0; x < stretch.From; ++x)
            SetPixelV(canvas.Dc, x, 0, RGB(16 * (x + 1), 0, 0));
        StretchBlt(canvas.Dc, 0, 1, stretch.To, 1, canvas.Dc, 0, 0, stretch.From, 1, SRCCOPY);
        std::string columns;
        for (int x = 0; x < stretch.To; ++x) {
            int source = GetRValue(GetPixel(canvas.Dc, x, 1)) / 16 - 1;
            columns += (x ? " " : "") + std::to_string(source);
        }
        Expect(failures, "stretch to " + std::to_string(stretch.To), stretch.Columns, columns);
    }
    return failures;
}

// The messages that tell a window's procedure it is shown, erased and sized.
std::string MessageLog;

LRESULT CALLBACK LoggingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE)
        MessageLog += " create";
    else if (message == WM_SHOWWINDOW)
        MessageLog += wParam ? " show" : " hide";
    else if (message == WM_ERASEBKGND)
        MessageLog += " erase";
    else if (message == WM_SIZE)
        MessageLog += wParam == SIZE_MAXIMIZED ? " size-maximized" : " size";
    return DefWindowProcA(window, message, wParam, lParam);
}

Failures WindowCreation() {
    struct Creation {
        DWORD Style;
        const char* Log;
    };
    static const Creation creations[] = {
        {WS_OVERLAPPEDWINDOW, " create"},
        {WS_OVERLAPPEDWINDOW | WS_VISIBLE, " create show erase size"},
        {WS_OVERLAPPEDWINDOW | WS_MAXIMIZE, " create size-maximized"},
        {WS_OVERLAPPEDWINDOW | WS_MAXIMIZE | WS_VISIBLE,
         " create size-maximized show erase size-maximized"},
    };
    Failures failures;
    for (const Creation& creation : creations) {
        MessageLog.clear();
        HWND window = CreateWindowExA(0, WindowClass("LayerCheckLogging", LoggingProcedure), "log",
                                      creation.Style, 0, 0, 300, 200, nullptr, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
        const std::string style = std::to_string(creation.Style);
        Expect(failures, "creation with style " + style, creation.Log, MessageLog);
        // ShowWindow answers whether the window was visible before.
        const bool first = ShowWindow(window, SW_SHOWNORMAL);
        const bool second = ShowWindow(window, SW_SHOWNORMAL);
        Expect(failures, "ShowWindow after style " + style,
               creation.Style & WS_VISIBLE ? "1 1" : "0 1",
               std::to_string(first) + " " + std::to_string(second));
        DestroyWindow(window);
    }
    return failures;
}

} // namespace

const std::vector<Check>& AllChecks() {
    static const std::vector<Check> checks = {
        {"SlantedLines", SlantedLines},
        {"StretchedRows", StretchedRows},
        {"WindowCreation", WindowCreation},
    };
    return checks;
}

} // namespace LayerChecks
