#pragma once

#include "platform/linux/x11/X11Connection.h"
#include "x11/support/X11TestServer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace tessane::x11test {

// A private server with no window manager, where the test acts as one, and the backend's
// connection to it, its log lines kept.
class WithoutWindowManager : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        bare_ = X11TestServer::start({.windowManager = false}, &error);
        ASSERT_TRUE(bare_) << error;
        x_ = linux_backend::X11Connection::open(bare_->display().c_str(),
                                                [this](const std::string& line) { lines_.push_back(line); });
        ASSERT_TRUE(x_);
    }
    std::vector<std::string> lines_;
    std::unique_ptr<X11TestServer> bare_;
    std::unique_ptr<linux_backend::X11Connection> x_;
};

}  // namespace tessane::x11test
