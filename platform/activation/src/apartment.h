#pragma once

namespace qx::activation {

// Whether the calling thread has entered an apartment (and not left it).
bool ThreadInApartment();

// Sets up, once, the platform services that activation and server modules rely on.
void EnsureSystemServices();

} // namespace qx::activation
