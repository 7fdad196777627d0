#pragma once
// Counts the bytes the program holds through operator new, and the peak since the last reset.
// Linking memory_meter.cpp into a benchmark puts a counter in front of the C allocator.

#include <cstddef>

namespace annalex::bench {

std::size_t bytesInUse();
std::size_t peakBytesInUse();
// Starts a new peak measurement from the bytes in use now.
void resetPeak();

}  // namespace annalex::bench
