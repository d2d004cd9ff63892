#pragma once

// Qt's panels on the private server, made as the program makes them: the main queue, the
// screens and their space, and the panels over them. Skipped where this process can't hold a
// QApplication on that server.
#include "platform/linux/x11/LinuxScreens.h"
#include "platform/linux/x11/X11ScreenSpace.h"
#include "platform/qt/QtMainQueue.h"
#include "platform/qt/panels/PanelPainter.h"
#include "platform/qt/panels/QtPanels.h"
#include "x11/WidgetApplication.h"
#include "x11/X11TestBase.h"

#include <memory>

namespace tessane::x11test {

class QtPanelsTest : public X11TestBase {
protected:
    void SetUp() override {
        X11TestBase::SetUp();
        if (!ensureWidgetApplication(server_->display()))
            GTEST_SKIP() << "needs its own process (a QApplication on the private server)";
        qt_backend::setChromeAppearance(false);
        queue_ = std::make_unique<qt_backend::QtMainQueue>();
        screens_ = std::make_unique<linux_backend::LinuxScreens>(*x_, *queue_);
        space_ = std::make_unique<linux_backend::X11ScreenSpace>(*screens_);
        panels_ = std::make_unique<qt_backend::QtPanels>(*space_, *x_);
    }
    // Whatever a fixture built over the panels goes first.
    void TearDown() override {
        panels_.reset();
        space_.reset();
        screens_.reset();
        queue_.reset();
        X11TestBase::TearDown();
    }

    std::unique_ptr<qt_backend::QtMainQueue> queue_;
    std::unique_ptr<linux_backend::LinuxScreens> screens_;
    std::unique_ptr<linux_backend::X11ScreenSpace> space_;
    std::unique_ptr<qt_backend::QtPanels> panels_;
};

}  // namespace tessane::x11test
