// The layer checks against our layer, on the headless desktop.
#include "LayerChecks.h"

#include "desktop/Desktop.h"
#include "desktop/headless/HeadlessDesktop.h"

#include <gtest/gtest.h>

namespace {

class LayerCheck : public ::testing::TestWithParam<LayerChecks::Check> {
protected:
    void SetUp() override { WinApi::SelectDesktop(std::make_unique<WinApi::HeadlessDesktop>()); }
};

TEST_P(LayerCheck, AgreesWithWindows) {
    for (const std::string& failure : GetParam().Run())
        ADD_FAILURE() << failure;
}

INSTANTIATE_TEST_SUITE_P(Windows, LayerCheck, ::testing::ValuesIn(LayerChecks::AllChecks()),
                         [](const auto& info) { return std::string(info.param.Name); });

} // namespace
