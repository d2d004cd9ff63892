#pragma once

#include "platform/linux/ExecLine.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
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
// "old-notes.txt" or "notes.txt.bak").
bool titleNamesFile(std::string_view title, std::string_view fileName);

// The document the window shows: of the candidates whose file name the title names and that are
// files (`isFile`), the most recent. None when there is no such candidate, or when two different
// files are equally recent (the evidence cannot tell them apart).
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
