// Code page 437, the console's character set, as the terminal shows it: each
// of the 256 codes as its Unicode equivalent in UTF-8. The control codes are
// the console's graphic symbols; code 0 shows as a blank.
#pragma once

#include <string>

namespace WinApi {

char16_t Cp437ToUnicode(unsigned char code);
void AppendCp437AsUtf8(std::string& out, unsigned char code);

} // namespace WinApi
