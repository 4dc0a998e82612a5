// pagehost's work: open a page in the browser control, run its script and its queue, answer what
// it asks, save what it became.
#pragma once

#include <optional>
#include <string>

namespace qx::host {

inline constexpr int kPageOk = 0;
inline constexpr int kPageScriptError = 1;
inline constexpr int kPageCannotLoad = 2;
inline constexpr int kPageIncomplete = 3; // the page did not complete within the limit

struct PageHostOptions {
    std::string page;                // a path or a URL
    std::optional<unsigned> seconds; // run this long in page time; none: until idle
    std::string savePath;            // empty: nothing saved
    std::string answersPath;         // an answers script for boxes, dialogs and printing
};

// Page time is a virtual clock: timers fire in order without waiting, and an interval never
// cleared stops the run after this much page time when running until idle.
inline constexpr unsigned kIdleLimitSeconds = 600;

int RunPageHost(const PageHostOptions& options);

} // namespace qx::host
