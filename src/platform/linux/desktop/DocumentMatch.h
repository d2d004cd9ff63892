#pragma once

#include "platform/linux/desktop/ExecLine.h"

#include <bitset>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tessane::linux_desktop {

// Which file a window shows. X11 has no property for it, so it is pieced together from evidence
// that names files (what the process was started with, what the desktop's recent-files lists say
// the application used, what the process holds open), and only a file the window's title names
// counts: an answer is right or there is none.

// A file the application had, and when: seconds since the epoch; kHeldOpen for one the process
// holds open now.
struct DocumentCandidate {
    std::string path;  // absolute
    double time = 0;
    static constexpr double kHeldOpen = 1e300;
};

// Whether `title` names the file `fileName`: the name appears whole, not as a piece of a longer
// name ("notes.txt" is named by "*notes.txt - Editor" and "/home/me/notes.txt — Viewer", not by
// "old-notes.txt" or "notes.txt.bak"). Bounded as FileNameIndex is.
bool titleNamesFile(std::string_view title, std::string_view fileName);

// Which of many file names a title names (each by the rule of titleNamesFile), in one pass over
// the title: the time it takes grows with the title and the longest name, not with how many
// names there are or how often one recurs. Built once for a list of files, asked of any title.
class FileNameIndex {
public:
    // A longer name is no file's on Linux (NAME_MAX): it is never found.
    static constexpr size_t kMaxNameBytes = 255;
    // Only names that start in the title's first so many bytes are found; a window title is
    // read no longer than that.
    static constexpr size_t kMaxTitleBytes = 4096;

    // Adds `name` as the name of `id` (ids need not be distinct, nor names).
    void add(std::string_view name, size_t id);
    // The ids of the names `title` names, in increasing order, each once.
    std::vector<size_t> named(std::string_view title) const;
    bool empty() const { return names_.empty(); }

private:
    struct Name {
        std::string text;
        std::vector<size_t> ids;
    };
    static uint64_t hashStep(uint64_t hash, unsigned char c);
    std::vector<Name> names_;
    std::unordered_map<uint64_t, std::vector<uint32_t>> byHash_;  // -> names_ (several on a collision)
    std::bitset<kMaxNameBytes + 1> lengths_;
    size_t longest_ = 0;
};

// The document the window shows: of the candidates whose file name the title names and that are
// files (`isFile`), the most recent. None when there is no such candidate, or when two different
// files are equally recent (the evidence cannot tell them apart). At most kMaxFileChecks of the
// most recent candidates are asked of `isFile`: when none of them settles it, there is no answer.
inline constexpr size_t kMaxFileChecks = 64;
std::optional<std::string> pickDocument(std::string_view title, const std::vector<DocumentCandidate>& candidates,
                                        const std::function<bool(const std::string&)>& isFile);

// The files a process was started with, read from its command line (`argv`, the program first)
// by the application's Exec line: an argument that fills a field code with text around it
// ("--file=%u") gives the part between; any other argument that the Exec line does not hold
// itself and that is no option (or comes after "--") is a file. file: URLs become paths, other
// URLs are left out, relative paths are taken from `cwd`. Nothing when the Exec line takes no
// documents or is refused.
std::vector<std::string> commandLineDocuments(const std::vector<std::string>& argv, const std::string& exec,
                                              const ExecLine::Context& context, const std::filesystem::path& cwd);

}  // namespace tessane::linux_desktop
