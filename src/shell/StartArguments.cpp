#include "shell/StartArguments.h"

namespace tessane {

StartArguments StartArguments::parse(const std::vector<std::string>& arguments) {
    StartArguments parsed;
    bool optionsOver = false;
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument.empty()) continue;
        if (optionsOver || argument.front() != '-') {
            parsed.links.push_back(argument);
        } else if (argument == "--") {
            optionsOver = true;
        } else if (argument == "--settings") {
            parsed.openSettings = true;
        } else if (argument == "--help" || argument == "-h") {
            parsed.help = true;
        } else if (argument == "--version") {
            parsed.version = true;
        } else {
            return StartArguments{.error = "tessane: unknown option '" + argument + "'\nTry 'tessane --help'."};
        }
    }
    return parsed;
}

std::string StartArguments::usage() {
    return "Usage: tessane [--settings] [--] [LINK...]\n"
           "Groups your apps into named workspaces and tiles their windows.\n"
           "\n"
           "  --settings  open the settings window (of the Tessane already running, if there is one)\n"
           "  --version   show the version and exit\n"
           "  -h, --help  show this help and exit\n"
           "\n"
           "LINK is a tessane: link, such as tessane://show/Writing. When Tessane already runs, a new\n"
           "start hands its links and requests to it and ends.\n";
}

}  // namespace tessane
