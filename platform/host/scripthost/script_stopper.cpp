#include "script_stopper.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>

#include "script_host.h"

namespace qx::host {
namespace {

// The handler only writes the signal's number into a pipe: the watcher thread does the rest.
int g_signalPipe[2] = {-1, -1};
constexpr unsigned char kQuit = 0; // written by the destructor, not by a signal

extern "C" void OnStopSignal(int signal) {
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
    errno = saved;
}

constexpr int kSignals[] = {SIGINT, SIGTERM};
struct sigaction g_previous[std::size(kSignals)];

void InstallHandlers() {
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
        struct sigaction action {};
        action.sa_handler = OnStopSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(kSignals[i], &action, &g_previous[i]);
    }
}

void RestoreHandlers() {
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
        sigaction(kSignals[i], &g_previous[i], nullptr);
}

} // namespace

const char* SignalName(int signal) {
    switch (signal) {
    case SIGINT:
        return "SIGINT";
    case SIGTERM:
        return "SIGTERM";
    default:
        return "a signal";
    }
}

ScriptStopper::ScriptStopper(std::chrono::seconds timeout, bool onSignals)
    : timeout_(timeout), onSignals_(onSignals) {
    if (timeout_.count() == 0 && !onSignals_)
        return;
    if (::pipe2(g_signalPipe, O_CLOEXEC) != 0)
        return; // without the pipe the script runs unwatched, as without the options
    // The handler must never block, whatever the watcher is doing.
    ::fcntl(g_signalPipe[1], F_SETFL, O_NONBLOCK);
    if (onSignals_)
        InstallHandlers();
    watcher_ = std::thread([this] { Watch(); });
}

ScriptStopper::~ScriptStopper() {
    if (!watcher_.joinable())
        return;
    if (onSignals_)
        RestoreHandlers();
    const unsigned char quit = kQuit;
    while (::write(g_signalPipe[1], &quit, 1) < 0 && errno == EINTR) {
    }
    watcher_.join();
    ::close(g_signalPipe[0]);
    ::close(g_signalPipe[1]);
    g_signalPipe[0] = g_signalPipe[1] = -1;
}

void ScriptStopper::Arm(std::function<bool(int)> stop) {
    std::lock_guard lock(mutex_);
    stop_ = std::move(stop);
    if (reason_ != StopReason::None && !stopped_)
        stopped_ = stop_(exitCode_);
}

void ScriptStopper::Disarm() {
    std::lock_guard lock(mutex_);
    stop_ = nullptr;
}

StopReason ScriptStopper::Reason() const {
    std::lock_guard lock(mutex_);
    return stopped_ ? reason_ : StopReason::None;
}

void ScriptStopper::Request(StopReason reason, int signal, int exitCode) {
    if (reason_ != StopReason::None)
        return; // the first request stands
    reason_ = reason;
    signal_ = signal;
    exitCode_ = exitCode;
    if (stop_)
        stopped_ = stop_(exitCode);
}

int ScriptStopper::Signal() const {
    std::lock_guard lock(mutex_);
    return signal_;
}

void ScriptStopper::Watch() {
    using Clock = std::chrono::steady_clock;
    const bool limited = timeout_.count() > 0;
    const Clock::time_point deadline = Clock::now() + timeout_;
    bool timedOut = false;
    int signals = 0;
    for (;;) {
        int wait = -1;
        if (limited && !timedOut) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            wait = static_cast<int>(std::max<long long>(0, std::min<long long>(left, 60'000)));
        }
        pollfd fd{g_signalPipe[0], POLLIN, 0};
        const int ready = ::poll(&fd, 1, wait);
        if (ready < 0 && errno != EINTR)
            return;
        if (ready == 0 && limited && !timedOut && Clock::now() >= deadline) {
            timedOut = true;
            std::lock_guard lock(mutex_);
            Request(StopReason::TimedOut, 0, kExitTimedOut);
            continue;
        }
        if (ready <= 0)
            continue;
        unsigned char byte = 0;
        if (::read(g_signalPipe[0], &byte, 1) != 1)
            continue;
        if (byte == kQuit)
            return;
        // The first signal stops the script and lets it clean up; the next one ends it all now.
        if (++signals > 1)
            ::_exit(kExitSignalBase + byte);
        std::lock_guard lock(mutex_);
        Request(StopReason::Signal, byte, kExitSignalBase + byte);
    }
}

} // namespace qx::host
