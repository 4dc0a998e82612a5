// Headless Chromium for the tests that compare our browser with it: where it is installed, and the
// DOM it ends a page with (`--dump-dom`, scripts run).
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace qx::test {

// The installed chromium; empty when there is none.
inline std::string Chromium() {
    for (const char* path : {"/usr/bin/chromium", "/usr/bin/chromium-browser", "/usr/bin/google-chrome"})
        if (access(path, X_OK) == 0)
            return path;
    return {};
}

inline std::string RunCommand(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            out.append(buffer, n);
        pclose(pipe);
    }
    return out;
}

// The page's DOM as Chromium serialises it once the page has run, with a profile folder of its own
// (so that several can run at once) and a window of the given size.
inline std::string DumpDom(const std::string& chromium, const std::filesystem::path& page,
                           const std::filesystem::path& profile, const std::string& windowSize = "1024,768") {
    return RunCommand(
        chromium + " --headless --no-sandbox --disable-gpu --hide-scrollbars --window-size=" + windowSize +
        " --user-data-dir=" + profile.string() + " --dump-dom file://" + page.string() + " 2>/dev/null");
}

} // namespace qx::test
