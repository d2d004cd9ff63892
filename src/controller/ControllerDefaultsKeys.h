#pragma once

namespace tessane {

// User-defaults keys the workspace controller reads and writes.
struct ControllerDefaultsKeys {
    // When the previous run asked the applications it hid to come back: a date, stored as a
    // double (seconds since 1970, the main queue's clock). Written by the application delegate at
    // quit, read and removed at the next launch.
    static constexpr const char* kUnhideAskedAt = "TessaneUnhideAskedAt";
    // true once the user chose "Don’t ask again" when quitting a workspace's apps.
    static constexpr const char* kSuppressQuitAppsConfirm = "TessaneSuppressQuitAppsConfirm";
};

}  // namespace tessane
