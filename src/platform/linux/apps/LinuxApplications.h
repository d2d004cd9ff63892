#pragma once

#include "platform/Applications.h"
#include "platform/linux/apps/LinuxAppCatalog.h"
#include "platform/linux/apps/LinuxRunningApplications.h"

namespace tessane::linux_backend {

// The whole Applications port on Linux: the XDG catalogue and the X11 running applications.
class LinuxApplications final : public Applications {
public:
    LinuxApplications(LinuxAppCatalog& catalog, LinuxRunningApplications& running)
        : catalog_(catalog), running_(running) {}

    std::string applicationExtension() const override { return catalog_.applicationExtension(); }
    std::optional<BundleInfo> bundleAt(const std::filesystem::path& path) const override {
        return catalog_.bundleAt(path);
    }
    bool fileExists(const std::filesystem::path& path) const override { return catalog_.fileExists(path); }
    std::optional<std::filesystem::path> urlForApplication(const std::string& bundleIdentifier) const override {
        return catalog_.urlForApplication(bundleIdentifier);
    }
    std::optional<Bytes> makeBookmark(const std::filesystem::path& path) const override {
        return catalog_.makeBookmark(path);
    }
    std::optional<std::filesystem::path> resolveBookmark(const Bytes& bookmark) const override {
        return catalog_.resolveBookmark(bookmark);
    }
    std::optional<Bytes> iconPNG(const std::filesystem::path& path, int side) const override {
        return catalog_.iconPNG(path, side);
    }

    std::vector<RunningApplication> runningApplications() const override { return running_.runningApplications(); }
    std::optional<RunningApplication> frontmostApplication() const override {
        return running_.frontmostApplication();
    }
    bool hide(Pid pid) override { return running_.hide(pid); }
    bool unhide(Pid pid) override { return running_.unhide(pid); }
    bool activate(Pid pid) override { return running_.activate(pid); }
    bool terminate(Pid pid) override { return running_.terminate(pid); }
    void openApplication(const std::filesystem::path& appPath, const OpenConfiguration& configuration,
                         OpenCompletion completion) override {
        running_.openApplication(appPath, configuration, std::move(completion));
    }
    void openDocuments(const std::vector<std::filesystem::path>& documents, const std::filesystem::path& appPath,
                       const OpenConfiguration& configuration, OpenCompletion completion) override {
        running_.openDocuments(documents, appPath, configuration, std::move(completion));
    }
    bool openURL(const std::string& url) override { return running_.openURL(url); }
    Subscription observe(Notification notification,
                         std::function<void(const RunningApplication&)> handler) override {
        return running_.observe(notification, std::move(handler));
    }

private:
    LinuxAppCatalog& catalog_;
    LinuxRunningApplications& running_;
};

}  // namespace tessane::linux_backend
