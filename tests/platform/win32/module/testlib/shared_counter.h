// A helper with process state of its own, linked into both test modules: each module must see
// only its own copy.
#pragma once

int SharedCounterNext();
