// Window classes, and the system's stock icons and cursors.
//
// Class names are compared without regard to case, as on Windows; a class
// is known by its name or by the atom RegisterClassA returned. Classes live
// until the process ends.
#include "gdi/TestRefusals.h"
#include "user/UserState.h"

#include <cctype>

namespace WinApi {
namespace {

std::string ClassKey(const char* name) {
    std::string key(name);
    for (char& c : key)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return key;
}

} // namespace

std::shared_ptr<const WindowClass> LookupClass(LPCSTR name) {
    UserState& user = User();
    std::lock_guard guard(user.Lock);
    if (IS_INTRESOURCE(name)) {
        const ATOM atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(name));
        for (const auto& [key, windowClass] : user.Classes)
            if (windowClass->Atom == atom)
                return windowClass;
        return nullptr;
    }
    auto it = user.Classes.find(ClassKey(name));
    return it == user.Classes.end() ? nullptr : it->second;
}

} // namespace WinApi

ATOM WINAPI RegisterClassA(const WNDCLASSA* lpWndClass) {
    using namespace WinApi;
    if (!lpWndClass || !lpWndClass->lpfnWndProc || !lpWndClass->lpszClassName ||
        IS_INTRESOURCE(lpWndClass->lpszClassName) || !*lpWndClass->lpszClassName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (TestRefusals::ClassRegistration.load()) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    auto windowClass = std::make_shared<WindowClass>();
    windowClass->Name = lpWndClass->lpszClassName;
    windowClass->Style = lpWndClass->style;
    windowClass->Procedure = lpWndClass->lpfnWndProc;
    windowClass->Instance = lpWndClass->hInstance;
    windowClass->Background = lpWndClass->hbrBackground;

    UserState& user = User();
    std::lock_guard guard(user.Lock);
    auto [it, added] = user.Classes.try_emplace(ClassKey(lpWndClass->lpszClassName));
    if (!added) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    windowClass->Atom = user.NextAtom++;
    it->second = windowClass;
    return windowClass->Atom;
}

namespace {

// Stock icons and cursors are never drawn by this layer; their handles only
// need to be distinct and non-null. They lie in a range no pointer uses.
constexpr ULONG_PTR StockIconBase = 0x7F000000;
constexpr ULONG_PTR StockCursorBase = 0x7F100000;

HICON StockHandle(HINSTANCE instance, LPCSTR name, WORD first, WORD last, ULONG_PTR base) {
    if (instance != nullptr || !IS_INTRESOURCE(name)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    const WORD id = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name));
    if (id < first || id > last) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<HICON>(base + id);
}

} // namespace

HICON WINAPI LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName) {
    return StockHandle(hInstance, lpIconName, 32512, 32517, StockIconBase);
}

HCURSOR WINAPI LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName) {
    return StockHandle(hInstance, lpCursorName, 32512, 32515, StockCursorBase);
}
