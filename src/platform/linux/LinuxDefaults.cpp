#include "platform/linux/LinuxDefaults.h"

#include "base/AtomicFile.h"
#include "base/Json.h"

namespace tessane::linux_backend {

namespace fs = std::filesystem;

namespace {

std::optional<Defaults::Value> fromJson(const Json& j) {
    if (j.is_boolean()) return j.get<bool>();
    if (j.is_number_integer()) return j.get<long long>();
    if (j.is_number_float()) return j.get<double>();
    if (j.is_string()) return j.get<std::string>();
    if (j.is_array()) {
        std::vector<std::string> items;
        for (const auto& e : j) {
            if (!e.is_string()) return std::nullopt;
            items.push_back(e.get<std::string>());
        }
        return items;
    }
    return std::nullopt;
}

Json toJson(const Defaults::Value& v) {
    return std::visit([](const auto& x) { return Json(x); }, v);
}

}  // namespace

LinuxDefaults::LinuxDefaults(fs::path file, Reporter report)
    : file_(std::move(file)), report_(std::move(report)) {
    load();
}

void LinuxDefaults::load() {
    std::error_code ec;
    if (!fs::exists(file_, ec)) return;
    std::string text;
    bool ok = readWholeFile(file_, text);
    Json root;
    if (ok) {
        root = Json::parse(text, nullptr, false);
        ok = root.is_object();
    }
    if (!ok) {
        const fs::path aside = keepAside(file_);
        if (report_) {
            report_("[Tessane] preferences file " + file_.string() + " is unreadable; " +
                    (aside.empty() ? std::string("could not move it aside, leaving it untouched")
                                   : "kept it as " + aside.string()) +
                    " and starting with default preferences");
        }
        // If it could not be moved, never overwrite it: remember that by forgetting the path.
        if (aside.empty()) file_.clear();
        return;
    }
    for (const auto& [key, j] : root.items()) {
        if (auto v = fromJson(j)) {
            values_[key] = *v;
        } else if (report_) {
            report_("[Tessane] preferences: ignoring the value of " + key + " (unsupported type)");
        }
    }
}

void LinuxDefaults::save() {
    if (file_.empty()) return;
    Json root = Json::object();
    for (const auto& [key, v] : values_) root[key] = toJson(v);
    std::string error;
    if (!writeFileAtomically(file_, json::dump(root, 2) + "\n", &error) && report_)
        report_("[Tessane] preferences could not be saved: " + error);
}

std::optional<Defaults::Value> LinuxDefaults::value(const std::string& key) const {
    auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

void LinuxDefaults::set(const std::string& key, Value value) {
    values_[key] = std::move(value);
    save();
}

void LinuxDefaults::remove(const std::string& key) {
    if (values_.erase(key)) save();
}

}  // namespace tessane::linux_backend
