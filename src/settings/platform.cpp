#include "settings/platform.hpp"

#ifdef _WIN32
#include "settings/win32_profile.hpp"
#include "settings/win32_registry.hpp"
#else
#include "settings/posix_profile.hpp"
#include "settings/posix_registry.hpp"
#endif

namespace annalex::settings {

#ifdef _WIN32
using SystemRegistry = Win32Registry;
using SystemProfile = Win32Profile;
#else
using SystemRegistry = PosixRegistry;
using SystemProfile = PosixProfile;
#endif

RegistryPlatform& registryPlatform() {
    static SystemRegistry registry;
    return registry;
}

ProfilePlatform& profilePlatform() {
    static SystemProfile profile;
    return profile;
}

}  // namespace annalex::settings
