// The console's terminal input decoder: bytes read from a terminal become
// Windows key events. A terminal reports keys only as bytes, so each key is
// turned into a key-down record followed by an identical key-up record, with
// the virtual-key code, set-1 scan code, character and control-key state a
// US keyboard would give. Escape sequences may be split across reads, so an
// incomplete one is kept until the next chunk; the reader calls Timeout()
// when nothing more arrived within a short wait, which is what tells the
// Escape key from the start of a sequence.
//
// Choices where the terminal leaves room:
// - A pending "ESC [" or "ESC O" (with or without parameter bytes) resolves
//   on Timeout to Alt plus its second byte, then its remaining bytes as plain
//   keys: that is what a person typing those keys would have produced.
// - "ESC ESC" is an Escape key press followed by a new pending ESC.
// - ESC plus a control character is that key with Alt added to its own
//   state (so Alt+Ctrl+letter is 0x0A, Alt+Tab is 0x02).
// - Bytes 0x80-0xFF are passed through one by one as characters with no key
//   (virtual-key 0, scan 0); the console above decides what they spell.
// - 0x00 is Ctrl+Space, 0x1C-0x1F are Ctrl+\ ] ^ _ on a US keyboard.
// - Unknown complete sequences are dropped. A sequence longer than
//   kMaxPending bytes is dropped and the rest of it is skipped up to its
//   final byte, so memory stays bounded whatever the input.
#pragma once

#include <windows.h>

#include <cstddef>
#include <deque>
#include <string>

namespace WinApi {

class KeyDecoder {
public:
    // The longest escape sequence kept while waiting for its final byte.
    static constexpr std::size_t kMaxPending = 32;

    void Feed(const char* data, std::size_t size);
    // Nothing more arrived within the short wait: a pending ESC or incomplete
    // sequence stands for the keys that typed it.
    void Timeout();

    // True while bytes wait for more input or a Timeout.
    bool HasPending() const { return !pending_.empty() || skipping_; }
    std::size_t PendingBytes() const { return pending_.size(); }

    // Decoded events, oldest first.
    std::deque<INPUT_RECORD>& Events() { return events_; }
    bool Next(INPUT_RECORD& record);

private:
    void Plain(unsigned char byte, DWORD extraState);
    void Continue(unsigned char byte);
    void Flush();
    void Finish(char final);
    void Key(WORD vk, WORD scan, unsigned char ch, DWORD state);

    std::string pending_;
    bool skipping_ = false;
    std::deque<INPUT_RECORD> events_;
};

} // namespace WinApi
