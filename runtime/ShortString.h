// A short string: a length byte followed by at most Capacity characters, the
// form in which text reaches the graphics kernel and the text-file layer.
// Text longer than the capacity is cut when stored, never overflows.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace Runtime {

template <std::size_t Capacity = 255>
class ShortString {
    static_assert(Capacity >= 1 && Capacity <= 255, "a short string holds 1 to 255 characters");

public:
    ShortString() = default;
    ShortString(std::string_view text) { Assign(text); }
    ShortString(const char* text) : ShortString(std::string_view(text)) {}

    void Assign(std::string_view text) {
        Count = static_cast<std::uint8_t>(std::min(text.size(), Capacity));
        std::copy_n(text.data(), Count, Chars);
    }

    // Appends one character; false (and nothing stored) when the string is full.
    bool Append(char c) {
        if (Count == Capacity)
            return false;
        Chars[Count++] = c;
        return true;
    }

    std::uint8_t Length() const { return Count; }
    bool Empty() const { return Count == 0; }
    static constexpr std::size_t MaxLength() { return Capacity; }

    std::string_view View() const { return {Chars, Count}; }
    operator std::string_view() const { return View(); }

    char operator[](std::size_t index) const { return Chars[index]; }
    char& operator[](std::size_t index) { return Chars[index]; }

    friend bool operator==(const ShortString& a, std::string_view b) { return a.View() == b; }

private:
    std::uint8_t Count = 0;
    char Chars[Capacity] = {};
};

} // namespace Runtime
