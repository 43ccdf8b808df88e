// A fixture for tests of the kernel's lifecycle. The kernel is initialised
// once per process and has no reset of its own, so the fixture puts its
// registry, fonts, table and state back to what a fresh process has, and the
// memory driver's switches and counters with them, before and after each test.
#pragma once

#include "graph/Graph.h"
#include "runtime/Lifecycle.h"
#include "runtime/StandardFiles.h"
#include "tests/graph/MemoryDriver.h"

#include <gtest/gtest.h>

#include <vector>

namespace KernelFixture {

inline void FreeList(Graph::TModeInfo*& head) {
    while (head) {
        Graph::TModeInfo* next = head->Next;
        delete head;
        head = next;
    }
}

inline void FreeRegistry() {
    FreeList(Graph::ModeList);
    for (Graph::TNewModeEntry& entry : Graph::NewModeList) {
        FreeList(entry.List);
        entry = Graph::TNewModeEntry{};
    }
}

inline void ResetTable() {
    Graph::PutPixel = nullptr;
    Graph::DirectPutPixel = nullptr;
    Graph::GetPixel = nullptr;
    Graph::SetRGBPalette = nullptr;
    Graph::GetRGBPalette = nullptr;
    Graph::SetVisualPage = nullptr;
    Graph::SetActivePage = nullptr;
    Graph::ClearViewPort = nullptr;
    Graph::PutImage = nullptr;
    Graph::GetImage = nullptr;
    Graph::ImageSize = nullptr;
    Graph::GetScanLine = nullptr;
    Graph::Line = nullptr;
    Graph::InternalEllipse = nullptr;
    Graph::PatternLine = nullptr;
    Graph::HLine = nullptr;
    Graph::VLine = nullptr;
    Graph::OutTextXY = nullptr;
    Graph::Circle = nullptr;
    Graph::GraphGetMemPtr = nullptr;
    Graph::GraphFreeMemPtr = nullptr;
    Graph::SaveVideoState = nullptr;
    Graph::RestoreVideoState = nullptr;
    Graph::CharMessageHandler = nullptr;
    Graph::MouseMessageHandler = nullptr;
}

inline void ResetState() {
    using namespace Graph;
    GraphResult = GraphOk;
    IntCurrentDriver = IntCurrentNewDriver = IntCurrentMode = 0;
    MaxX = MaxY = 0;
    MaxColor = PaletteSize = 0;
    DirectColor = false;
    HardwarePages = 0;
    XAspect = YAspect = 0;
    IsGraphMode = false;
    DriverName = "";
    GraphPath = ".";
    FirstCallOfInitGraph = true;
    StartXViewPort = StartYViewPort = ViewWidth = ViewHeight = 0;
    ClipPixels = false;
    CurrentX = CurrentY = 0;
    LineInfo = LineSettingsType{};
    for (bool& drawn : LinePatterns)
        drawn = true;
    FillSettings = FillSettingsType{};
    for (std::uint8_t& row : FillPatternTable[UserFillPattern])
        row = 0;
    CurrentColor = CurrentBkColor = 0;
    CurrentWriteMode = 0;
    CurrentTextInfo = TextInfoType{};
    ArcCall = ArcCoordsType{};
}

inline void ResetKernel() {
    FreeRegistry();
    Graph::FreeFontData();
    Graph::InstalledFonts = 0;
    ResetTable();
    ResetState();
    Graph::ExitSave = nullptr;
    Runtime::ExitProc = nullptr;
    Runtime::ErrorCode = 0;
    Runtime::ErrorAddr = nullptr;
    Runtime::InOutRes = 0;
    MemoryDriver::ModesToRegister.clear();
    MemoryDriver::InitModeCalls = 0;
    MemoryDriver::CloseDriverCalls = 0;
    MemoryDriver::FailInitMode = false;
    MemoryDriver::Width = MemoryDriver::Height = 0;
    MemoryDriver::Frame.clear();
}

// Starts the kernel as the program does, with the memory driver offering the
// given modes. The kernel starts once per process: reset it before starting
// it again.
inline void StartKernel(std::vector<Graph::TModeInfo> modes) {
    MemoryDriver::ModesToRegister = std::move(modes);
    Graph::InitializeGraph();
}

} // namespace KernelFixture

class KernelTest : public ::testing::Test {
protected:
    void SetUp() override { KernelFixture::ResetKernel(); }
    void TearDown() override { KernelFixture::ResetKernel(); }
};
