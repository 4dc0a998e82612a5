// The registry's own C++ interface, beside the Reg* functions: where it lives and how several
// changes are made as one.
#pragma once

#include "wintypes.h"

#include <filesystem>

namespace qx::registry {

// The directory named by the environment: $QX_REGISTRY_DIR, else $XDG_DATA_HOME/qxforms/registry,
// else ~/.local/share/qxforms/registry.
std::filesystem::path DefaultRegistryDirectory();

// The directory in use (resolved from the environment on first use).
std::filesystem::path RegistryDirectory();

// Points this process at another registry directory and closes every open key handle.
void SetRootForTesting(const std::filesystem::path& directory);

// A set of changes that reach the registry file together or not at all. While it is alive it
// holds the registry's file lock (other processes' changes wait) and the process-wide registry
// lock (other threads wait); the Reg* calls of its own thread see its changes at once. Without
// Commit, the destructor drops every change made since it began. Transactions nest: only the
// outermost one writes, and an inner one dropped makes the outer Commit fail.
// A transaction belongs to the thread that made it and ends on that thread.
class Transaction {
public:
    Transaction();
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // ERROR_SUCCESS when the transaction could begin (else the registry cannot be changed, e.g.
    // ERROR_ACCESS_DENIED for a read-only directory or ERROR_REGISTRY_CORRUPT for a damaged file).
    LONG Status() const { return status_; }

    // Writes the changes; the result of the write (or Status() when it never began).
    LONG Commit();

private:
    LONG status_;
    bool finished_ = false;
};

} // namespace qx::registry
