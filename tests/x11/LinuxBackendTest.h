#pragma once

#include "platform/linux/apps/LinuxAppCatalog.h"
#include "platform/linux/apps/LinuxApplications.h"
#include "platform/linux/apps/LinuxRunningApplications.h"
#include "platform/linux/windows/LinuxAccessibility.h"
#include "platform/linux/windows/LinuxWindowList.h"
#include "platform/linux/x11/LinuxScreens.h"
#include "platform/qt/QtMainQueue.h"
#include "platform/qt/QtX11Pump.h"
#include "x11/X11TestBase.h"

#include <filesystem>
#include <fstream>
#include <random>

namespace tessane::x11test {

// The Linux backend's window ports on the private server, built on the test's connection as the
// application builds them on its own: on the Qt main queue, which reads the connection. The
// applications' ports come when a test has written its desktop entries (a private XDG data
// folder) and set its desktop up.
class LinuxBackendTest : public X11TestBase {
protected:
    void SetUp() override {
        X11TestBase::SetUp();
        if (HasFatalFailure()) return;
        ensureQtApplication();
        root_ = std::filesystem::temp_directory_path() / ("tessane-backend-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(root_ / "data/applications");
        queue_ = std::make_unique<qt_backend::QtMainQueue>();
        pump_ = qt_backend::pumpX11Events(*queue_, *x_);
        screens_ = std::make_unique<linux_backend::LinuxScreens>(*x_, *queue_);
        ax_ = std::make_unique<linux_backend::LinuxAccessibility>(*x_, *screens_, *queue_);
        list_ = std::make_unique<linux_backend::LinuxWindowList>(*x_, *ax_);
    }
    void TearDown() override {
        apps_.reset();
        running_.reset();
        catalog_.reset();
        list_.reset();
        ax_.reset();
        screens_.reset();
        pump_.reset();
        queue_.reset();
        if (!root_.empty()) std::filesystem::remove_all(root_);
        X11TestBase::TearDown();
    }

    // Until the backend has handled every event the server has sent it so far, and run the work
    // that posted: a mark posted after that work runs after it.
    bool caughtUp() {
        x_->processEvents();
        bool reached = false;
        queue_->post([&reached] { reached = true; });
        return waitFor([&] { return reached; });
    }

    void writeEntry(const std::string& id, const std::string& body) {
        std::ofstream(entry(id)) << "[Desktop Entry]\nType=Application\n" << body;
    }
    std::filesystem::path entry(const std::string& id) const { return root_ / "data/applications" / (id + ".desktop"); }

    // The running applications over the entries written so far, on `queue` (the main queue when
    // none), logging to `log`.
    void startApplications(MainQueue* queue = nullptr, LinuxAppCatalog::LogSink log = nullptr) {
        LinuxAppCatalog::Folders folders;
        folders.home = root_;
        folders.dataHome = root_ / "data";
        folders.dataDirs = {root_ / "system"};
        catalog_ = std::make_unique<LinuxAppCatalog>(folders, nullptr);
        running_ = std::make_unique<linux_backend::LinuxRunningApplications>(*x_, *ax_, *catalog_,
                                                                            queue ? *queue : *queue_, log);
        apps_ = std::make_unique<linux_backend::LinuxApplications>(*catalog_, *running_);
    }

    std::filesystem::path root_;
    std::unique_ptr<qt_backend::QtMainQueue> queue_;
    Subscription pump_;
    std::unique_ptr<linux_backend::LinuxScreens> screens_;
    std::unique_ptr<linux_backend::LinuxAccessibility> ax_;
    std::unique_ptr<linux_backend::LinuxWindowList> list_;
    std::unique_ptr<LinuxAppCatalog> catalog_;
    std::unique_ptr<linux_backend::LinuxRunningApplications> running_;
    std::unique_ptr<linux_backend::LinuxApplications> apps_;
};

}  // namespace tessane::x11test
