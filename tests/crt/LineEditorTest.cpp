// The line editor behind a console read: what each key does to the line and
// to the screen, and what the read hands over.
#include "CrtTestSupport.h"

#include <optional>
#include <vector>

namespace {

using namespace CrtTest;

// One step of typing: some text, or one key.
struct Step {
    Step(const char* text) : Text(text) {}
    Step(const Key& key) : Pressed(key) {}
    std::string Text;
    std::optional<Key> Pressed;
};

class LineEditorTest : public CrtFixture {
protected:
    // Types the steps, then reads one line; returns what the read handed
    // over, line end included.
    std::string Read(const std::vector<Step>& steps) {
        for (const Step& step : steps) {
            if (step.Pressed)
                Press(*step.Pressed);
            else
                Type(step.Text);
        }
        Crt::CrtRead(Runtime::Input);
        EXPECT_EQ(Runtime::Input.BufPos, 0);
        return std::string(Runtime::Input.BufPtr, static_cast<std::size_t>(Runtime::Input.BufEnd));
    }
};

struct EditCase {
    const char* Name;
    std::vector<Step> Steps;
    std::string Line;
    std::string Screen; // row 0 without trailing blanks
    bool CheckEof = false;
};

const EditCase EditCases[] = {
    {"typing after Left, Left overwrites", {"abcd", Left, Left, "X", Enter}, "abXd\r\n", "abXd"},
    // Backspace erases only at the end of the line; Ctrl+S is backspace.
    {"backspace", {"abc", Left, Backspace, End, Backspace, CtrlS, "d", Enter}, "ad\r\n", "ad"},
    // Left stops at the start, Right at the end, and Right steps over a character.
    {"moves", {"abc", Home, Left, Right, "X", End, Right, "Y", Enter}, "aXcY\r\n", "aXcY"},
    {"Esc and Ctrl+Y erase the line", {"abc", Escape, "x", CtrlY, "de", Enter}, "de\r\n", "de"},
    // Erasing backs up from the end of the line while the cursor stands two to
    // the left: the screen keeps what lay right of the cursor.
    {"Esc away from the end", {"abc", Left, Left, Escape, Enter}, "\r\n", " bc"},
    // Ctrl+Z and unknown special keys are ignored.
    {"ignored", {"a", F1, "b", CtrlZ, "c", Enter}, "abc\r\n", "abc"},
    // The read ends at once, without echo, the cursor after the line.
    {"Ctrl+Z with CheckEOF set", {"ab", CtrlZ}, "ab\x1A", "ab", true},
};

TEST_F(LineEditorTest, EachKeyEditsTheLineAndTheScreenAsTheEditorDefines) {
    for (const EditCase& c : EditCases) {
        Console = &StartConsole();
        Crt::CheckEOF = c.CheckEof;
        EXPECT_EQ(Read(c.Steps), c.Line) << c.Name;
        EXPECT_EQ(Shown(0), c.Screen) << c.Name;
        // Enter echoes CR LF.
        EXPECT_EQ(std::pair(int{Console->CursorPosition().X}, int{Console->CursorPosition().Y}),
                  c.CheckEof ? std::pair(2, 0) : std::pair(0, 1))
            << c.Name;
    }
    Crt::CheckEOF = false;
}

TEST_F(LineEditorTest, AcceptsAt254CharactersWhileEditingKeysStillWork) {
    std::string line =
        Read({std::string(256, 'x').c_str(), "y", Backspace, "z", "w", Left, "q", Enter});
    EXPECT_EQ(line, std::string(253, 'x') + "q\r\n");
    for (SHORT y = 0; y < 3; ++y)
        EXPECT_EQ(Console->Row(y), std::string(80, 'x'));
    EXPECT_EQ(Shown(3), std::string(13, 'x') + 'q');
    EXPECT_EQ(Console->CursorPosition().Y, 4);
}

TEST_F(LineEditorTest, EscOnAWrappedLineErasesTheBufferButStopsAtTheRowsLeftEdge) {
    Console = &StartConsole(80, 25, COORD{75, 0});
    EXPECT_EQ(Read({"helloworld", Escape, Enter}), "\r\n");
    EXPECT_EQ(Console->Row(0), std::string(75, ' ') + "hello");
    EXPECT_EQ(Shown(1), "");
}

// A console whose input can never come, as when its terminal has hung up.
class ConsoleWithoutInput : public WinApi::HeadlessConsole {
public:
    DWORD WaitInput(DWORD) override { return WAIT_FAILED; }
};

TEST_F(LineEditorTest, ALineEndsWithEnterWhenConsoleInputCanNeverCome) {
    Console = &StartOn(new ConsoleWithoutInput);
    EXPECT_EQ(Read({"ab"}), "ab\r\n");
    EXPECT_EQ(Shown(0), "ab");
}

} // namespace
