#pragma once

#include <string>
#include <vector>

namespace tessane {

// What one start of Tessane was asked for on its command line: links to run, the settings
// window, the usage or the version. Anything that looks like an option and is not one of ours is an error:
// a mistyped option must not be taken for a link or dropped without a word.
struct StartArguments {
    std::vector<std::string> links;  // in the order given
    bool openSettings = false;
    bool help = false;
    bool version = false;
    // Not empty when the arguments can't be read; then nothing else holds.
    std::string error;

    // Reads the program's arguments (the first is the program itself). Empty arguments, which a
    // desktop's launcher may pass, are skipped; after "--" every argument is a link.
    static StartArguments parse(const std::vector<std::string>& arguments);
    // What --help prints.
    static std::string usage();
};

}  // namespace tessane
