// Handle files: text files whose device is a Windows file handle, as the
// standard files are. Output empties the buffer with WriteFile (also after
// every line end, so each line reaches the handle when it is complete); input
// refills it with ReadFile; closing closes the handle unless it is a
// character device, which the process shares with others.
#include "runtime/StandardFiles.h"

#include "runtime/ContextRegisters.h"

#include "runtime/Lifecycle.h"
#include "runtime/TextFile.h"

namespace Runtime {

HANDLE StdInputHandle = nullptr;
HANDLE StdOutputHandle = nullptr;
HANDLE StdErrorHandle = nullptr;

TextRec Input;
TextRec Output;
TextRec StdOut;
TextRec StdErr;

std::uint16_t InOutRes = 0;

namespace {

std::int32_t HandleFileWrite(TextRec& file) {
    DWORD count = static_cast<DWORD>(file.BufPos);
    file.BufPos = 0;
    if (count == 0)
        return 0;
    DWORD written = 0;
    if (!WriteFile(file.Handle, file.BufPtr, count, &written, nullptr))
        InOutRes = IOResultFromWindowsError(GetLastError());
    else if (written != count)
        InOutRes = 101;
    return 0;
}

std::int32_t HandleFileRead(TextRec& file) {
    file.BufPos = 0;
    file.BufEnd = 0;
    DWORD got = 0;
    if (ReadFile(file.Handle, file.BufPtr, static_cast<DWORD>(file.BufSize), &got, nullptr)) {
        file.BufEnd = static_cast<std::int32_t>(got);
        return 0;
    }
    // A pipe whose writer has gone has simply no more data.
    DWORD error = GetLastError();
    if (error != ERROR_BROKEN_PIPE)
        InOutRes = IOResultFromWindowsError(error);
    return 0;
}

void SelectTransfer(TextRec& file) {
    if (file.Mode == ModeInput) {
        file.InOutFunc = HandleFileRead;
        file.FlushFunc = nullptr;
    } else {
        file.InOutFunc = HandleFileWrite;
        file.FlushFunc = HandleFileWrite;
    }
}

// Reopening a bound handle file keeps its handle; only the direction of the
// transfer follows the new mode.
std::int32_t HandleFileOpen(TextRec& file) {
    SelectTransfer(file);
    return 0;
}

std::int32_t HandleFileClose(TextRec& file) {
    if (GetFileType(file.Handle) != FILE_TYPE_CHAR) {
        if (!CloseHandle(file.Handle))
            InOutRes = IOResultFromWindowsError(GetLastError());
        file.Handle = INVALID_HANDLE_VALUE;
    }
    return 0;
}

} // namespace

std::uint16_t IOResultFromWindowsError(DWORD error) {
    if (error >= 19 && error <= 31)
        return static_cast<std::uint16_t>(error + 131);
    if (error == 32)
        return 5;
    return static_cast<std::uint16_t>(error & 0xFFFF);
}

void BindHandleFile(TextRec& file, HANDLE handle, std::uint32_t mode) {
    Assign(file, "");
    file.Handle = handle;
    file.Mode = mode;
    file.OpenFunc = HandleFileOpen;
    file.CloseFunc = HandleFileClose;
    SelectTransfer(file);
}

// Not inlined, so that its return address is the place of the check.
[[gnu::noinline]] void IOCheck() {
    if (InOutRes == 0)
        return;
    std::uint16_t result = InOutRes;
    InOutRes = 0;
    HandleErrorAddrFrame(result, __builtin_return_address(0), RUNTIME_CALLER_FRAME());
}

} // namespace Runtime
