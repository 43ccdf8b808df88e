// The mode registry keeps two indexes over the modes that the display driver
// registers at start-up. ModeList holds a copy of every record in
// registration order and serves lookups by device driver number. Each
// colour-depth driver (11 to 21, chosen by the colour count) keeps its own
// copies sorted by resolution, numbered 1 to n in that order, so that
// "lowest", "highest" and the resolution modes 30001 to 30015 mean the same
// whatever driver registered the modes. Records are heap copies owned by the
// kernel until its exit procedure frees them.
#include "graph/ModeRegistry.h"

#include <cassert>

namespace Graph {

TModeInfo* ModeList = nullptr;
TNewModeEntry NewModeList[LastColorDepthDriver - FirstColorDepthDriver + 1];

const ResolutionType Resolutions[15] = {
    {320, 200}, {320, 256},  {320, 400},   {512, 384},   {640, 200},
    {640, 256}, {640, 350},  {640, 400},   {640, 480},   {800, 600},
    {832, 624}, {1024, 768}, {1280, 1024}, {1600, 1200}, {2048, 1536},
};

namespace {

bool IsColorDepthDriver(std::int16_t driver) {
    return driver >= FirstColorDepthDriver && driver <= LastColorDepthDriver;
}

TNewModeEntry& ColorDepthEntry(std::int16_t driver) {
    assert(IsColorDepthDriver(driver) && "a colour-depth driver number lies in 11 to 21");
    return NewModeList[driver - FirstColorDepthDriver];
}

// A copy owned by the registry. The link is always emptied: the caller's
// record is only read, so a stale link in it must never reach our lists.
TModeInfo* NewCopy(const TModeInfo& record) {
    TModeInfo* copy = new TModeInfo(record);
    copy->Next = nullptr;
    return copy;
}

// Resolution order of the colour-depth lists: by MaxX, then MaxY, both
// unsigned 16-bit.
bool ResolutionBelow(const TModeInfo& walked, const TModeInfo& added) {
    return walked.MaxX < added.MaxX || (walked.MaxX == added.MaxX && walked.MaxY < added.MaxY);
}

void InsertByResolution(TNewModeEntry& entry, const TModeInfo& record) {
    TModeInfo* previous = nullptr;
    TModeInfo* walked = entry.List;
    while (walked && ResolutionBelow(*walked, record)) {
        previous = walked;
        walked = walked->Next;
    }
    if (walked && walked->MaxX == record.MaxX && walked->MaxY == record.MaxY) {
        // The same resolution at the same depth: the newer record wins but
        // keeps the older one's place, so the numbering does not move.
        TModeInfo* keptLink = walked->Next;
        *walked = record;
        walked->Next = keptLink;
    } else {
        TModeInfo* copy = NewCopy(record);
        copy->Next = walked;
        if (previous)
            previous->Next = copy;
        else
            entry.List = copy;
    }

    std::int16_t count = 0;
    for (TModeInfo* numbered = entry.List; numbered; numbered = numbered->Next)
        numbered->InternModeNumber = ++count;
    entry.LowestMode = 1;
    entry.HighestMode = count;
}

void AppendToModeList(const TModeInfo& record) {
    TModeInfo* copy = NewCopy(record);
    if (!ModeList) {
        ModeList = copy;
        return;
    }
    TModeInfo* last = ModeList;
    while (last->Next)
        last = last->Next;
    last->Next = copy;
}

TModeInfo* LastRecord(TModeInfo* list) {
    while (list && list->Next)
        list = list->Next;
    return list;
}

TModeInfo* SearchColorDepthMode(std::int16_t driver, std::int16_t& mode) {
    TNewModeEntry& entry = ColorDepthEntry(driver);
    if (mode == LowestModeRequest) {
        mode = entry.LowestMode;
        return entry.List;
    }
    if (mode == HighestModeRequest) {
        mode = entry.HighestMode;
        return mode == -1 ? nullptr : LastRecord(entry.List);
    }
    if (!entry.List)
        return nullptr;

    std::int32_t width = 0;
    std::int32_t height = 0;
    if (Mode2Res(mode, width, height)) {
        const std::int32_t maxX = width - 1;
        const std::int32_t maxY = height - 1;
        TModeInfo* walked = entry.List;
        while (walked && (walked->MaxX < maxX || (walked->MaxX == maxX && walked->MaxY < maxY)))
            walked = walked->Next;
        if (walked && walked->MaxX == maxX && walked->MaxY == maxY)
            return walked;
        return nullptr;
    }
    for (TModeInfo* walked = entry.List; walked; walked = walked->Next)
        if (walked->InternModeNumber == mode)
            return walked;
    return nullptr;
}

// Device drivers are known only in ModeList. The highest mode of a driver is
// the last record of its first unbroken run there: the walk stops at the
// first record of another driver after one of the driver's, or at the end of
// the list when the run reaches it. A run that starts at the last record is
// one record long and ends there too.
TModeInfo* SearchDeviceMode(std::int16_t driver, std::int16_t& mode) {
    TModeInfo* previous = ModeList;
    for (TModeInfo* walked = ModeList; walked; previous = walked, walked = walked->Next) {
        const bool ours = walked->DriverNumber == driver;
        bool matches = ours && (walked->ModeNumber == mode || mode == LowestModeRequest);
        if (mode == HighestModeRequest) {
            const bool runBroken = previous->DriverNumber == driver && !ours;
            const bool runAtEnd = ours && !walked->Next;
            matches = matches || runBroken || runAtEnd;
        }
        if (!matches)
            continue;
        if (mode == LowestModeRequest) {
            mode = walked->ModeNumber;
            return walked;
        }
        if (mode == HighestModeRequest) {
            TModeInfo* found = ours ? walked : previous;
            mode = found->ModeNumber;
            return found;
        }
        return walked;
    }
    return nullptr;
}

} // namespace

void InitMode(TModeInfo& record) {
    record = TModeInfo{};
}

void AddMode(const TModeInfo& record) {
    std::int16_t driver = 0;
    std::int16_t unusedMode = 0;
    Res2Mode(std::int32_t{record.MaxX} + 1, std::int32_t{record.MaxY} + 1, record.MaxColor, driver,
             unusedMode);
    if (driver != NoColorDepthDriver)
        InsertByResolution(ColorDepthEntry(driver), record);
    // Every record, even one that replaced another of its resolution, stays
    // reachable by its device driver number.
    AppendToModeList(record);
}

void Res2Mode(std::int32_t x, std::int32_t y, std::int32_t colors, std::int16_t& driver,
              std::int16_t& mode) {
    switch (colors) {
    case 2:
        driver = 11;
        break;
    case 4:
        driver = 12;
        break;
    case 16:
        driver = 13;
        break;
    case 64:
        driver = 14;
        break;
    case 256:
        driver = 15;
        break;
    case 4096:
        driver = 16;
        break;
    case 32768:
        driver = 17;
        break;
    case 65536:
        driver = 18;
        break;
    default:
        driver = NoColorDepthDriver;
        return;
    }
    mode = NoResolutionMode;
    for (std::int16_t index = 0; index < 15; ++index) {
        if (Resolutions[index].Width == x && Resolutions[index].Height == y) {
            mode = static_cast<std::int16_t>(FirstResolutionMode + index);
            return;
        }
    }
}

bool Mode2Res(std::int16_t mode, std::int32_t& width, std::int32_t& height) {
    if (mode < FirstResolutionMode || mode > LastResolutionMode)
        return false;
    const ResolutionType& resolution = Resolutions[mode - FirstResolutionMode];
    width = resolution.Width;
    height = resolution.Height;
    return true;
}

TModeInfo* SearchMode(std::int16_t driver, std::int16_t& mode) {
    if (IsColorDepthDriver(driver))
        return SearchColorDepthMode(driver, mode);
    return SearchDeviceMode(driver, mode);
}

void GetModeRange(std::int16_t driver, std::int16_t& lowest, std::int16_t& highest) {
    highest = -1;
    lowest = LowestModeRequest;
    if (!SearchMode(driver, lowest)) {
        lowest = -1;
        return;
    }
    highest = HighestModeRequest;
    SearchMode(driver, highest);
}

} // namespace Graph
