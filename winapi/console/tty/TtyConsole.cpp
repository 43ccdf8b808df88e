#include "console/tty/TtyConsole.h"

#include "console/InputQueue.h"
#include "console/ScreenBuffer.h"
#include "console/tty/TerminalInput.h"
#include "console/tty/TerminalMode.h"
#include "console/tty/VtRenderer.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <string>
#include <sys/ioctl.h>
#include <unistd.h>

namespace WinApi {
namespace {

constexpr SHORT DefaultWidth = 80;
constexpr SHORT DefaultHeight = 25;
constexpr std::chrono::milliseconds CursorAnswerLimit{200};

COORD TerminalSize(int terminal) {
    winsize size{};
    if (terminal < 0 || ::ioctl(terminal, TIOCGWINSZ, &size) != 0 || size.ws_col == 0 ||
        size.ws_row == 0)
        return {DefaultWidth, DefaultHeight};
    return {static_cast<SHORT>(std::min<int>(size.ws_col, ScreenBuffer::MaxWidth)),
            static_cast<SHORT>(std::min<int>(size.ws_row, ScreenBuffer::MaxHeight))};
}

void WriteAll(int terminal, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t put = ::write(terminal, bytes.data() + done, bytes.size() - done);
        if (put > 0) {
            done += static_cast<std::size_t>(put);
        } else if (put < 0 && errno == EAGAIN) {
            pollfd ready{terminal, POLLOUT, 0};
            ::poll(&ready, 1, -1);
        } else if (put < 0 && errno != EINTR) {
            return; // the terminal is gone; the model still holds the screen
        }
    }
}

class TtyConsole final : public ConsoleHost {
public:
    ~TtyConsole() override = default;

    bool StandardHandleIsConsole(int descriptor) override { return ::isatty(descriptor) == 1; }

    DWORD OpenDevice() override {
        // As for a process without a console.
        return ChooseTerminal().Controlling ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
    }

    void GetScreenInfo(CONSOLE_SCREEN_BUFFER_INFO& info) override {
        Attach();
        std::lock_guard guard(ScreenLock);
        Screen->Info(info);
    }

    DWORD WriteCells(const CHAR_INFO* cells, COORD cellsSize, COORD cellsOrigin,
                     SMALL_RECT& region) override {
        Attach();
        std::lock_guard guard(ScreenLock);
        DWORD error = Screen->Write(cells, cellsSize, cellsOrigin, region);
        Show();
        return error;
    }

    DWORD ScrollCells(const SMALL_RECT& source, const SMALL_RECT* clip, COORD destination,
                      const CHAR_INFO& fill) override {
        Attach();
        std::lock_guard guard(ScreenLock);
        DWORD error = Screen->Scroll(source, clip, destination, fill);
        Show();
        return error;
    }

    DWORD MoveCursor(COORD position) override {
        Attach();
        std::lock_guard guard(ScreenLock);
        DWORD error = Screen->SetCursor(position);
        if (error == ERROR_SUCCESS)
            Show();
        return error;
    }

    void WriteText(const char* text, DWORD length) override {
        Attach();
        std::lock_guard guard(ScreenLock);
        Screen->WriteText(text, length);
        Show();
    }

    DWORD CountInput() override {
        Attach();
        Input.Poll();
        return static_cast<DWORD>(Queue.Size());
    }

    DWORD ReadInput(INPUT_RECORD* records, DWORD length, DWORD& read) override {
        Attach();
        for (;;) {
            read = Queue.Take(records, length);
            if (read > 0)
                return ERROR_SUCCESS;
            if (Input.Wait(INFINITE) == WAIT_FAILED)
                return ERROR_BROKEN_PIPE;
        }
    }

    DWORD WaitInput(DWORD timeout) override {
        Attach();
        return Input.Wait(timeout);
    }

private:
    struct Choice {
        int Descriptor = -1;
        bool Controlling = false;
    };

    // Opened once and kept for the life of the process.
    const Choice& ChooseTerminal() {
        std::call_once(Chosen, [this] {
            int controlling = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
            if (controlling >= 0) {
                Terminal = {controlling, true};
                return;
            }
            for (int descriptor = 0; descriptor <= 2; ++descriptor)
                if (::isatty(descriptor) == 1) {
                    Terminal = {::fcntl(descriptor, F_DUPFD_CLOEXEC, 3), false};
                    return;
                }
        });
        return Terminal;
    }

    void Attach() {
        std::call_once(Attached, [this] {
            const int terminal = ChooseTerminal().Descriptor;
            COORD size = TerminalSize(terminal);
            COORD cursor{0, 0};
            if (terminal >= 0) {
                EnterConsoleMode(terminal);
                Input.Start(terminal);
                if (Input.QueryCursor(cursor, CursorAnswerLimit)) {
                    cursor.X = std::min<SHORT>(cursor.X, static_cast<SHORT>(size.X - 1));
                    cursor.Y = std::min<SHORT>(cursor.Y, static_cast<SHORT>(size.Y - 1));
                }
            } else {
                Input.Start(-1);
            }
            Screen = std::make_unique<ScreenBuffer>(size.X, size.Y, &Renderer);
            Screen->SetCursor(cursor);
        });
    }

    // Called with ScreenLock held: one write for everything the call changed.
    void Show() { WriteAll(Terminal.Descriptor, Renderer.Finish(Screen->Cursor())); }

    std::once_flag Chosen;
    Choice Terminal;
    std::once_flag Attached;
    std::mutex ScreenLock;
    VtRenderer Renderer;
    std::unique_ptr<ScreenBuffer> Screen;
    InputQueue Queue;
    TerminalInput Input{Queue};
};

} // namespace

std::unique_ptr<ConsoleHost> MakeTtyConsole() {
    return std::make_unique<TtyConsole>();
}

} // namespace WinApi
