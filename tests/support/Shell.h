// Runs a command line through the shell with its output captured, as a user at a terminal
// would run the programs; used by the tests of lumtool and of the sample card.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/FileHelpers.h"

namespace lum::test {

struct ShellRun {
    int exitCode = -1;
    std::string out, err;
};

// A path in single quotes, safe for the shell whatever it holds.
inline std::string ShellQuote(const std::filesystem::path& p) {
    std::string quoted = "'";
    for (char c : p.string()) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// Runs command with its standard output and error in files of the scratch folder, or its
// standard output into stdoutPath (which is then not read back).
inline ShellRun Shell(const std::string& command, const std::filesystem::path& scratch,
                      const std::filesystem::path& stdoutPath = {}) {
    const std::filesystem::path out = stdoutPath.empty() ? scratch / "stdout.txt" : stdoutPath;
    const std::filesystem::path err = scratch / "stderr.txt";
    const int status =
        std::system((command + " >" + ShellQuote(out) + " 2>" + ShellQuote(err)).c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1,
            stdoutPath.empty() ? ReadAll(out) : std::string(), ReadAll(err)};
}

}  // namespace lum::test
