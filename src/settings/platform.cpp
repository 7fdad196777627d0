#include "settings/platform.hpp"

#include "settings/posix_profile.hpp"
#include "settings/posix_registry.hpp"

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
