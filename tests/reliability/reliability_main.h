#pragma once

#include <cstdint>

namespace reliability {

// The seed of the message storm's random events (see reliability_main.cpp).
extern uint64_t stormSeed;

} // namespace reliability
