// Stops a running script on SIGINT or SIGTERM, or when its time limit has passed, through the
// engine's interrupt, so that the host still releases every object (and with them the
// converter's temporary files) before it exits. A second signal ends the program at once.
#pragma once

#include <chrono>
#include <functional>
#include <mutex>
#include <thread>

namespace qx::host {

enum class StopReason { None, TimedOut, Signal };

class ScriptStopper {
public:
    // Watches from now on: the time limit counts from here (0: none).
    ScriptStopper(std::chrono::seconds timeout, bool onSignals);
    ~ScriptStopper();
    ScriptStopper(const ScriptStopper&) = delete;
    ScriptStopper& operator=(const ScriptStopper&) = delete;

    // stop(exitCode) asks the script to stop and says whether this request was the one that did
    // (false when the script had ended or stopped already); it is called on the watcher's thread,
    // at once when a signal or the time limit came before Arm.
    void Arm(std::function<bool(int exitCode)> stop);
    // From here on nothing is stopped any more (the script has ended); a signal still counts, and
    // a second one ends the program at once.
    void Disarm();

    // Why the script was stopped, when a request of this watcher stopped it; the signal's number.
    StopReason Reason() const;
    int Signal() const;

private:
    void Watch();
    void Request(StopReason reason, int signal, int exitCode); // with mutex_ held

    std::chrono::seconds timeout_;
    bool onSignals_;
    std::function<bool(int)> stop_;
    mutable std::mutex mutex_;
    StopReason reason_ = StopReason::None; // what stopped the script, or asked to before Arm
    int signal_ = 0;
    int exitCode_ = 0;
    bool stopped_ = false; // reason_ has been carried out
    std::thread watcher_;
};

// The name of a signal the stopper handles ("SIGTERM").
const char* SignalName(int signal);

} // namespace qx::host
