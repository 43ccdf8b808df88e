// Detection, opening and closing graphics, the attribute defaults, and the
// kernel's exit procedure.
#pragma once

#include "runtime/Lifecycle.h"

#include <cstdint>
#include <string_view>

namespace Graph {

// The exit procedure that was current when the kernel installed its own.
extern Runtime::ExitProcedure ExitSave;

void DetectGraph(std::int16_t& driver, std::int16_t& mode);
void InternDetectGraph(std::int16_t& driver, std::int16_t& mode, bool calledFromInitGraph);
void InitGraph(std::int16_t& driver, std::int16_t& mode, std::string_view path);
void SetGraphMode(std::int16_t mode);
void GraphDefaults();
void CloseGraph();
void GraphExitProc();

} // namespace Graph
