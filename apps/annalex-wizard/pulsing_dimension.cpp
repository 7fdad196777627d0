#include "pulsing_dimension.hpp"

namespace annalex::wizard {

PulsingDimension::PulsingDimension(cube::DimensionRef wrapped, Pulse pulse, std::uint32_t every)
    : wrapped_(std::move(wrapped)) {
    factory_.wrapped = &wrapped_->objects();
    factory_.pulse = std::move(pulse);
    factory_.every = every == 0 ? 1 : every;
}

cube::MemberRef PulsingDimension::CountingFactory::newMember() {
    if (++created % every == 0 && pulse) {
        pulse(created);
    }
    return wrapped->newMember();
}

}  // namespace annalex::wizard
