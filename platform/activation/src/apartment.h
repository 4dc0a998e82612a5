#pragma once

namespace qx::activation {

// Whether the calling thread has entered an apartment (and not left it).
bool ThreadInApartment();

} // namespace qx::activation
