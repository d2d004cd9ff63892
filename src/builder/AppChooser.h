#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tessane {

// Lets the user pick installed applications (on Linux: desktop entries) in a modal dialog.
class AppChooser {
public:
    struct Request {
        std::string prompt = "Choose";  // the confirm button
        std::string message;
        bool multipleSelection = false;
    };

    virtual ~AppChooser() = default;
    // The chosen applications' paths; empty when the user cancelled.
    virtual std::vector<std::filesystem::path> chooseApplications(const Request& request) = 0;
};

}  // namespace tessane
