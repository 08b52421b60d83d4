#pragma once
// Starts the real application object in this process, on a registry sandbox
// and a fake metrics probe, and tears it down again.

#include "support/FakeMetricsProbe.h"
#include "support/RegistrySandbox.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

struct ShownMessage {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
};

class AppFixture : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs InitInstance and asserts that it succeeded.
    void StartApp();
    HWND Frame() const;
    HWND Sheet() const;
    HWND Tab() const;

    std::shared_ptr<FakeMetricsState> m_metrics = std::make_shared<FakeMetricsState>();
    std::vector<ShownMessage> m_messages;
    std::unique_ptr<RegistrySandbox> m_registry;
};

// The text of a status bar pane.
std::string PaneText(HWND statusBar, int pane);
HWND StatusBarOf(HWND frame);
