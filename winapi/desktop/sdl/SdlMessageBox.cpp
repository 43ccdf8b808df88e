#include "desktop/sdl/SdlMessageBox.h"

#include "desktop/sdl/SdlKeys.h"

#include <SDL2/SDL_messagebox.h>

#include <vector>

namespace WinApi {

int ShowMessageBox(SDL_Window* owner, const std::string& text, const std::string& caption,
                   UINT type) {
    struct Choice {
        int Id;
        const char* Text;
    };
    std::vector<Choice> choices;
    switch (type & 0x0F) {
    case MB_OKCANCEL:
        choices = {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
        break;
    case MB_YESNO:
        choices = {{IDYES, "Yes"}, {IDNO, "No"}};
        break;
    default:
        choices = {{IDOK, "OK"}};
        break;
    }
    std::vector<SDL_MessageBoxButtonData> buttons;
    for (const Choice& choice : choices)
        buttons.push_back({0, choice.Id, choice.Text});
    buttons.front().flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
    buttons.back().flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;

    Uint32 flags = SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
    switch (type & 0xF0) {
    case MB_ICONERROR:
        flags |= SDL_MESSAGEBOX_ERROR;
        break;
    case MB_ICONWARNING:
        flags |= SDL_MESSAGEBOX_WARNING;
        break;
    case MB_ICONINFORMATION:
    case MB_ICONQUESTION:
        flags |= SDL_MESSAGEBOX_INFORMATION;
        break;
    default:
        break;
    }
    const std::string title = Utf8FromAnsi(caption);
    const std::string message = Utf8FromAnsi(text);
    SDL_MessageBoxData box{};
    box.flags = flags;
    box.window = owner;
    box.title = title.c_str();
    box.message = message.c_str();
    box.numbuttons = static_cast<int>(buttons.size());
    box.buttons = buttons.data();
    int pressed = -1;
    if (SDL_ShowMessageBox(&box, &pressed) != 0)
        return 0;
    // Closing the box answers as its Escape button does.
    return pressed >= 0 ? pressed : choices.back().Id;
}

} // namespace WinApi
