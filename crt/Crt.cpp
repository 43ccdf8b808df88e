// The console terminal's start-up, its entry in the module table. It runs
// after the runtime has bound the standard files and before the graphics
// kernel: it finds the console screen buffer (standard output, or the
// console itself when standard output is redirected), takes its measures and
// rebinds Input and Output to the console device. It has no finalisation:
// nothing is restored and nothing is flushed at exit. Like the rest of the
// unit it knows nothing of graphics.
#include "crt/Crt.h"

#include "crt/ConsoleDevice.h"
#include "crt/Keyboard.h"
#include "runtime/Lifecycle.h"
#include "runtime/StandardFiles.h"
#include "runtime/TextFile.h"

#include <string_view>

namespace Crt {

std::uint16_t WindMax = 0;
std::uint16_t LastMode = 3;

namespace {

constexpr std::uint16_t ColourTextMode = 3;

// Without a console the unit cannot work: one line on standard error, and the
// program ends with exit code 1. A failure to write that line is itself a
// run-time error, raised by the check before the halt.
[[noreturn]] void Fail(std::string_view message) {
    Runtime::WriteLn(Runtime::StdErr, message);
    Runtime::IOCheck();
    Runtime::Halt(1);
}

bool ReadConsoleInfo() {
    ConsoleInfo = CONSOLE_SCREEN_BUFFER_INFO{};
    return GetConsoleScreenBufferInfo(OutHandle, &ConsoleInfo) != FALSE;
}

void FindScreenBuffer() {
    if (ReadConsoleInfo())
        return;
    OutHandle = CreateFileA(ConOut, GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (OutHandle == INVALID_HANDLE_VALUE)
        Fail("No way to get the console handle");
    if (!ReadConsoleInfo())
        Fail("No way to get console screen buffer info");
}

// Rows above 256 do not fit the high byte, which then says 255.
std::uint16_t PackWindowCorner(std::int32_t width, std::int32_t height) {
    const std::int32_t rows = height <= 256 ? (height - 1) << 8 : 0xFF00;
    return static_cast<std::uint16_t>(((width - 1) | rows) & 0xFFFF);
}

} // namespace

void InitializeCrt() {
    OutHandle = GetStdHandle(STD_OUTPUT_HANDLE);
    InputHandle = GetStdHandle(STD_INPUT_HANDLE);
    LastMode = ColourTextMode;
    FindScreenBuffer();

    CursorSaveX = ConsoleInfo.dwCursorPosition.X;
    CursorSaveY = ConsoleInfo.dwCursorPosition.Y;
    TextAttr = static_cast<std::uint8_t>(ConsoleInfo.wAttributes & 0xFF);

    ScreenWidth = GetScreenWidth();
    ScreenHeight = GetScreenHeight();
    WinMinX = 1;
    WinMinY = 1;
    WinMaxX = ScreenWidth;
    WinMaxY = ScreenHeight;
    WindMax = PackWindowCorner(ScreenWidth, ScreenHeight);

    DoingNumChars = false;
    DoingNumCode = 0;

    // The standard files are taken over without closing them: the standard
    // handles stay open. Output's handle only serves the close rule of the
    // text-file layer; Input's is the one the keyboard reads.
    AssignCrt(Runtime::Output);
    Runtime::Rewrite(Runtime::Output);
    Runtime::IOCheck();
    Runtime::Output.Handle = OutHandle;

    AssignCrt(Runtime::Input);
    Runtime::Reset(Runtime::Input);
    Runtime::IOCheck();
    Runtime::Input.Handle = InputHandle;
}

} // namespace Crt
