#include "plotter/Bifurcation.h"

#include "graph/Graph.h"
#include "runtime/FloatingPoint.h"
#include "runtime/Lifecycle.h"
#include "runtime/StandardFiles.h"
#include "runtime/TextFile.h"

#include <cmath>

namespace Bifurcation {

long double MU = 0;
long double LNMU = 0;
long double X = 0;
long double YY = 0;
std::int32_t XX = 0;
std::int32_t I = 0;

namespace {

// Each constant is the extended value of the nearest double to its figure:
// the literals are double literals on purpose.
constexpr long double MuStart = 2.718281828459045; // e: the first column has r = 1
constexpr long double MuStep = 0.037;
constexpr long double MuEnd = 49.40244910553017; // e^3.9
constexpr long double StartIterate = 0.5;
constexpr long double VerticalScale = 700;
constexpr std::int32_t SettlingIterations = 300;
constexpr std::int32_t PlottedIterations = 200;
constexpr std::uint16_t PlotColor = 15;

} // namespace

void OpenGraphics() {
    std::int16_t driver = 0;
    std::int16_t mode = 0;
    Graph::DetectGraph(driver, mode);
    Graph::InitGraph(driver, mode, "");
}

void Sweep() {
    MU = MuStart;
    XX = 1;
    do {
        X = StartIterate;
        LNMU = std::log(MU);
        for (I = 1; I <= SettlingIterations; ++I)
            X = (X * LNMU) * (1 - X);
        for (I = 1; I <= PlottedIterations; ++I) {
            X = (X * LNMU) * (1 - X);
            YY = (1 - X) * VerticalScale;
            // The column and the rounded row reach the kernel as 16-bit
            // coordinates.
            Graph::PutPixel(Graph::Low16(XX), Graph::Low16(Runtime::Round(YY)), PlotColor);
        }
        MU = MU + MuStep;
        XX = XX + 1;
    } while (!(MU >= MuEnd));
}

void ProgramMain() {
    Runtime::IsConsole = true;
    Runtime::InitializeUnits();
    OpenGraphics();
    Sweep();
    Runtime::ReadLn(Runtime::Input);
    Runtime::IOCheck();
    Runtime::DoExit();
}

} // namespace Bifurcation
