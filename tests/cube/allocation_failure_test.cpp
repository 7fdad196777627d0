// The in-memory cube when memory runs out: every operation that fails to allocate leaves the
// hierarchy whole, holding what it held before, and usable afterwards.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "common/failure.hpp"
#include "cube/memory_model.hpp"
#include "support/child_process.hpp"
#include "support/sanitizer.hpp"
#include "support/time_model.hpp"

namespace annalex::cube {
namespace {

using annalex::testing::kSanitized;

std::size_t addressSpaceInUse() {
    std::size_t pages = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%zu", &pages) != 1) {
            pages = 0;
        }
        std::fclose(statm);
    }
    return pages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

// Runs body in a child process whose address space may grow by only headroom bytes; answers
// the child's exit status, or 128 + the signal that ended it.
int withLittleMemory(std::size_t headroom, const std::function<int()>& body) {
    return testing::inChild([&] {
        const rlimit limit{addressSpaceInUse() + headroom, RLIM_INFINITY};
        return setrlimit(RLIMIT_AS, &limit) != 0 ? 100 : body();
    });
}

// Fills a two-level hierarchy until an allocation fails, then checks that the hierarchy holds
// exactly the members placed before, each found by name, and takes more once memory is back.
// Exit status 0 when all holds, else the number of the failed check.
int fillUntilMemoryRunsOut(bool longNames) {
    testing::TimeModel model;
    auto top = model.addLevel();
    auto bottom = model.addLevel();
    ObjectFactory& objects = model.dimension->objects();
    MemoryHierarchy& memory = *model.hierarchy;
    const std::string padding = longNames ? std::string(40, 'x') : std::string();
    std::uint32_t placed = 0;
    MemberRef parent;
    try {
        for (;; ++placed) {
            auto member = objects.newMember();
            member->putName(std::to_string(placed) + padding);
            if (placed % 8 == 0) {
                top->addRootMember(member);
                parent = member;
            } else {
                member->putParent(parent);
            }
        }
    } catch (const std::bad_alloc&) {
    } catch (const Failure&) {  // the model's own "out of memory"
    }
    // Memory is back: the last megabytes were never used by the hierarchy itself.
    const rlimit unlimited{RLIM_INFINITY, RLIM_INFINITY};
    setrlimit(RLIMIT_AS, &unlimited);
    if (memory.memberCount() != placed) {
        return 1;
    }
    for (std::uint32_t id = 0; id < placed; id += 997) {
        const auto level = id % 8 == 0 ? top : bottom;
        if (level->findMembers(std::to_string(id) + padding).Count() != 1) {
            return 2;
        }
    }
    std::uint32_t walked = 0;
    memory.walkPreOrder([&](const MemberView&, int) { ++walked; });
    if (walked != placed) {
        return 3;
    }
    auto more = objects.newMember();
    more->putName("after");
    top->addRootMember(more);
    return top->findMembers("after").Count() == 1 ? 0 : 4;
}

// Sets distinct attribute values until an allocation fails, then checks that every value set
// before is there and the failed one left nothing behind. Exit status as above.
int setValuesUntilMemoryRunsOut() {
    testing::TimeModel model;
    auto level = model.addLevel("", {"First", "Second", "Third"});
    ObjectFactory& objects = model.dimension->objects();
    MemoryHierarchy& memory = *model.hierarchy;
    std::vector<int> valuesSet;  // per member
    try {
        for (int i = 0;; ++i) {
            auto member = objects.newMember();
            level->addRootMember(member);
            valuesSet.push_back(0);
            // Each value new: the dictionaries and the columns keep growing.
            for (const char* key : {"Third", "First", "Second"}) {
                member->setAttribute(key, std::string(key) + " value " + std::to_string(i));
                ++valuesSet.back();
            }
        }
    } catch (const std::bad_alloc&) {
    } catch (const Failure&) {
    }
    const rlimit unlimited{RLIM_INFINITY, RLIM_INFINITY};
    setrlimit(RLIMIT_AS, &unlimited);
    if (memory.memberCount() != valuesSet.size()) {
        return 1;
    }
    for (std::uint32_t id = 0; id < valuesSet.size(); ++id) {
        int seen = 0;
        bool right = true;
        memory.forEachAttribute(id, [&](std::string_view key, std::string_view value) {
            right = right && value == std::string(key) + " value " + std::to_string(id) &&
                    key == (seen == 0   ? "Third"
                            : seen == 1 ? "First"
                                        : "Second");
            ++seen;
        });
        if (!right || seen != valuesSet[id]) {
            return 2;
        }
    }
    return 0;
}

TEST(AllocationFailure, AttributeValuesStayWholeWhenMemoryRunsOut) {
    if (kSanitized) {
        GTEST_SKIP() << "the sanitizers' shadow memory does not fit a small address space";
    }
    for (const std::size_t megabytes : {16, 40}) {
        SCOPED_TRACE(std::to_string(megabytes) + " MiB");
        EXPECT_EQ(withLittleMemory(megabytes << 20, setValuesUntilMemoryRunsOut), 0);
    }
}

TEST(AllocationFailure, TheHierarchyStaysWholeWhenMemoryRunsOut) {
    if (kSanitized) {
        GTEST_SKIP() << "the sanitizers' shadow memory does not fit a small address space";
    }
    // Short names live in the member records, so the largest allocations, and the first to
    // fail, are those of the name index and the record chunks; long names add their own.
    for (const bool longNames : {false, true}) {
        for (const std::size_t megabytes : {24, 40, 72}) {
            SCOPED_TRACE((longNames ? "long names, " : "short names, ") +
                         std::to_string(megabytes) + " MiB");
            EXPECT_EQ(withLittleMemory(megabytes << 20,
                                       [&] { return fillUntilMemoryRunsOut(longNames); }),
                      0);
        }
    }
}

}  // namespace
}  // namespace annalex::cube
