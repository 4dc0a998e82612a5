// The test behaviour and its factory. The factory makes a behaviour for every name except "none";
// by name the behaviour misbehaves: "failing" fails its notifications, "refusing" its Init, and a
// "keeper" keeps its site after Detach (it registers the name "keeper" for script to find it).
// Everything the factory and its behaviours are asked goes into one log that outlives them.
#pragma once

#include "test_behavior.h"

#include "qx/com/comptr.h"

#include <memory>
#include <string>

namespace qx::test {

// A new factory (as IDispatch) writing to `log`.
HRESULT CreateTestBehaviorFactory(std::shared_ptr<std::u16string> log, IDispatch** factory);

} // namespace qx::test
