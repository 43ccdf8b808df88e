// The Windows layer's public header, found as <windows.h> through the include
// path. It declares exactly the subset of kernel32, user32 and gdi32 that the
// system calls, with the real names, types and constants, so that the code
// above this layer reads as an ordinary Windows program.
#pragma once

// The order is the order of dependence: base types first.
// clang-format off
#include "windef.h"
#include "winnt.h"
#include "winbase.h"
#include "wingdi.h"
#include "winuser.h"
#include "wincon.h"
// clang-format on
