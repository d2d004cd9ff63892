#include "platform/linux/desktop/InstalledLayout.h"

namespace tessane::linux_backend {

namespace fs = std::filesystem;

bool isInstalledLayout(const fs::path& program) {
    const fs::path bin = program.parent_path();
    std::error_code ec;
    return bin.filename() == "bin" && fs::is_directory(bin.parent_path() / "share" / "tessane", ec);
}

}  // namespace tessane::linux_backend
