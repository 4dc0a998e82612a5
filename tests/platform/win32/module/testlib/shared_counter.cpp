#include "shared_counter.h"

namespace {
int counter = 0;
}

int SharedCounterNext() {
    return ++counter;
}
