#include "cube/name_index.hpp"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <unordered_map>
#include <vector>

namespace annalex::cube {
namespace {

// The index against a plain multiset model under random inserts, renames and lookups; names
// are drawn from a small pool so that clusters, duplicates and wrap-around deletions occur.
// The index starts with `initial` names, so a large start exercises the batched inserts of a
// table too large for the caches.
void checkAgainstMultiset(std::size_t initial) {
    std::vector<std::string> names;
    NameIndex index(
        [](const void* context, std::uint32_t id) -> std::string_view {
            return (*static_cast<const std::vector<std::string>*>(context))[id];
        },
        &names);
    std::unordered_map<std::string, int> model;
    std::mt19937 random(7);
    auto pick = [&] { return "n" + std::to_string(random() % 300); };
    while (names.size() < initial) {
        names.push_back(pick());
        index.insert(static_cast<std::uint32_t>(names.size() - 1), names.back());
        ++model[names.back()];
    }
    for (int step = 0; step < 20000; ++step) {
        if (names.size() < 500 || random() % 3 == 0) {
            names.push_back(pick());
            index.insert(static_cast<std::uint32_t>(names.size() - 1), names.back());
            ++model[names.back()];
        } else {
            const auto id = static_cast<std::uint32_t>(random() % names.size());
            index.erase(id, names[id]);
            --model[names[id]];
            names[id] = pick();
            index.insert(id, names[id]);
            ++model[names[id]];
        }
        if (step % 50 == 0) {
            for (int n = 0; n < 300; n += 7) {
                const std::string name = "n" + std::to_string(n);
                ASSERT_EQ(index.count(name), model[name]) << name << " at step " << step;
            }
        }
    }
    EXPECT_EQ(index.size(), names.size());
}

TEST(NameIndex, AgreesWithAMultisetUnderRandomRenames) {
    checkAgainstMultiset(0);
}

TEST(NameIndex, BatchedInsertsOfALargeTableAgreeWithAMultiset) {
    checkAgainstMultiset(40000);  // beyond 32768 entries the table holds 2^17 slots
}

}  // namespace
}  // namespace annalex::cube
