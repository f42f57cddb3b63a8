// Faults the soak of the desktop program found (tests/soak), each as a plain test of its cause.
#include <gtest/gtest.h>

#include <QMdiArea>
#include <QStandardPaths>
#include <QTest>

#include "QtTestApplication.h"
#include "app/MainWindowTest.h"

namespace kelmora {
namespace {

class SoakFindings : public testing::MainWindowTest {
protected:
    void SetUp() override {
        testing::TestApplication();
        QStandardPaths::setTestModeEnabled(true);
        MakeWorkFolder("soak-findings");
        context.programFolder = work;
        RegisterChainDialogs(context.registry);
        OpenWindow();
        OpenExample();
    }
};

// The window area announces that its windows go while the main window is taken down; by then the main
// window's own members have gone, and its handlers must no longer run.
TEST_F(SoakFindings, MainWindowTakenDownWhileItShowsDocuments) {
    window->documents().NewWindow(*doc);
    window->documents().NewDocument();
    ASSERT_EQ(window->area().subWindowList().size(), 3);
    ASSERT_TRUE(window->isVisible());
    window.reset();
}

}  // namespace
}  // namespace kelmora
