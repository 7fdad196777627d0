#pragma once
// Whether this build runs under AddressSanitizer, whose shadow memory cannot live in a capped
// address space: tests that cap a child's memory skip themselves there.

namespace annalex::testing {

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kSanitized = true;
#else
inline constexpr bool kSanitized = false;
#endif
#else
inline constexpr bool kSanitized = false;
#endif

}  // namespace annalex::testing
