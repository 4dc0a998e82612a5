// A test component made with the COM framework: properties, methods with optional and
// by-reference arguments, a failing call, a collection, events, an object property, and a count
// of live instances so tests see every reference return.
#pragma once

#include "test_thing.h"

#include <atomic>

namespace qx::test {

// Objects of the component alive now.
extern std::atomic<int> g_liveTestObjects;

// Drops the objects that live TestThings hold in Child: cycles among components themselves
// (t.Child = t) are no leak of the script engine's.
void ReleaseChildren();

// Creates a TestThing ("Test.Thing").
HRESULT CreateTestThing(IDispatch** thing);

} // namespace qx::test
