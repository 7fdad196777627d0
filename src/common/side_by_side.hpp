#pragma once
// Work split into parts that run side by side, one per core: the exports make their text in
// pieces this way and write the pieces out in order.

#include <cstddef>
#include <functional>

namespace annalex {

// How many parts are worth running side by side here: the machine's cores, at most four.
std::size_t sideBySideParts();

// Runs part(0) to part(count - 1) at once, part(0) on the calling thread, and returns when all
// have ended; the first failure among them is then thrown.
void runSideBySide(std::size_t count, const std::function<void(std::size_t)>& part);

}  // namespace annalex
