#include "common/settings/platform.hpp"

#include "common/settings/posix_profile.hpp"
#include "common/settings/posix_registry.hpp"

namespace annalex::settings {

RegistryPlatform& registryPlatform() {
    static PosixRegistry registry;
    return registry;
}

ProfilePlatform& profilePlatform() {
    static PosixProfile profile;
    return profile;
}

}  // namespace annalex::settings
