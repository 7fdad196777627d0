#pragma once
// Room for one more element of a vector, made before a change that must not fail halfway.
// Reserving just one more each time would copy the whole vector on every addition; the
// capacity doubles instead, as push_back's own growth does.

#include <cstddef>

namespace annalex::cube {

template <typename Vector>
void reserveOneMore(Vector& vector) {
    if (vector.size() == vector.capacity()) {
        vector.reserve(vector.empty() ? std::size_t{8} : vector.size() * 2);
    }
}

}  // namespace annalex::cube
