// Feeds arbitrary titles and file names to the document match: the first line is a window's
// title, every further line a file's path. What must hold for any input: the index finds exactly
// the names that a plain search finds whole in the part of the title that is looked at, and the
// document picked is one of those files.
#include "platform/linux/desktop/DocumentMatch.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <vector>

using namespace tessane::linux_desktop;

namespace {

bool wordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// The rule, written the slow and obvious way.
bool plainlyNamed(std::string_view title, std::string_view name) {
    if (name.empty() || name.size() > FileNameIndex::kMaxNameBytes) return false;
    for (size_t at = title.find(name); at != std::string_view::npos && at < FileNameIndex::kMaxTitleBytes;
         at = title.find(name, at + 1)) {
        if (at > 0 && (wordChar(title[at - 1]) || title[at - 1] == '.' || title[at - 1] == '-')) continue;
        const size_t end = at + name.size();
        if (end < title.size()) {
            const char after = title[end];
            if (wordChar(after)) continue;
            if ((after == '.' || after == '-') && end + 1 < title.size() && wordChar(title[end + 1])) continue;
        }
        return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t firstEnd = input.find('\n');
    const std::string_view title = input.substr(0, firstEnd);
    std::vector<DocumentCandidate> candidates;
    if (firstEnd != std::string_view::npos) {
        std::string_view rest = input.substr(firstEnd + 1);
        while (!rest.empty()) {
            const size_t end = rest.find('\n');
            // Three times over and over: ties as well as a most recent one.
            candidates.push_back({std::string(rest.substr(0, end)), static_cast<double>(candidates.size() % 3)});
            rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
        }
    }

    FileNameIndex index;
    std::set<size_t> expected;
    for (size_t i = 0; i < candidates.size(); ++i) {
        const std::string_view path = candidates[i].path;
        const std::string_view name = path.substr(path.rfind('/') + 1);
        index.add(name, i);
        if (plainlyNamed(title, name)) expected.insert(i);
        if (plainlyNamed(title, name) != titleNamesFile(title, name)) std::abort();
    }
    const auto found = index.named(title);
    if (std::set<size_t>(found.begin(), found.end()) != expected || found.size() != expected.size()) std::abort();

    const auto picked = pickDocument(title, candidates, [](const std::string& path) { return path.size() % 2 == 0; });
    if (picked) {
        bool among = false;
        for (size_t i : expected) among = among || candidates[i].path == *picked;
        if (!among || picked->size() % 2 != 0) std::abort();
    }
    return 0;
}
