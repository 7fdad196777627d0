// Fuzzes the cube store's reader. An input whose first byte is even is judged as the header of
// a file (the header reader alone); one whose first byte is odd is a list of patches (three
// bytes of offset, one byte of value) written over a small valid store, which is then opened
// and loaded. Whatever the damage, the reader refuses the file with a store failure or loads a
// cube; it never crashes, and never leaves a journal behind.

#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <string>

#include "common/failure.hpp"
#include "cube/cube_store.hpp"
#include "cube/store_header.hpp"

namespace {

namespace fs = std::filesystem;
using namespace annalex::cube;

fs::path scratch;
std::string validStore;

// A store of two levels with attribute values, a renamed member and a second dimension.
std::string makeValidStore() {
    MemoryCube cube;
    auto dimension = cube.ensureDimension("Time");
    cube.ensureDimension("Other");
    ObjectFactory& objects = dimension->objects();
    auto hierarchy = objects.newHierarchy();
    hierarchy->putName("Period");
    dimension->addHierarchy(hierarchy);
    auto year = objects.newLevel();
    year->putName("Year");
    auto definition = objects.newAttributeDef();
    definition->putName("Days");
    year->addAttributeDef(definition);
    hierarchy->addLevel(year);
    auto month = objects.newLevel();
    month->putName("Month");
    hierarchy->addLevel(month);
    for (int y = 0; y < 20; ++y) {
        auto top = objects.newMember();
        top->putName("Y" + std::to_string(y));
        year->addRootMember(top);
        top->setAttribute("Days", "365");
        for (int m = 0; m < 12; ++m) {
            auto child = objects.newMember();
            child->putName("M" + std::to_string(m));
            child->putOrder(m);
            child->putParent(top);
        }
    }
    const fs::path file = scratch / "valid.db";
    CubeStore::open(file).save(cube);
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string pattern = (fs::temp_directory_path() / "annalex-fuzz-store.XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::abort();
    }
    scratch = pattern;
    validStore = makeValidStore();
    std::atexit([] {
        std::error_code ignored;
        fs::remove_all(scratch, ignored);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    if (data[0] % 2 == 0) {
        const std::span<const unsigned char> header(data + 1, size - 1);
        const auto verdict =
            judgeHeader(header, (std::uint64_t{data[0]} << 16) + size, (data[0] & 2) != 0);
        if (verdict.kind == HeaderVerdict::Kind::Store && header.size() < kHeaderSize) {
            std::abort();  // a store is never seen in less than a whole header
        }
        return 0;
    }
    std::string bytes = validStore;
    for (std::size_t at = 1; at + 4 <= size; at += 4) {
        const std::size_t offset = (std::size_t{data[at]} | (std::size_t{data[at + 1]} << 8) |
                                    (std::size_t{data[at + 2]} << 16)) %
                                   bytes.size();
        bytes[offset] = static_cast<char>(data[at + 3]);
    }
    const fs::path file = scratch / "fuzzed.db";
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
    try {
        CubeStore store = CubeStore::open(file);
        store.load();
    } catch (const annalex::Failure& failure) {
        if (failure.source() != kStoreSource) {
            std::abort();  // every refusal is the store's, naming the file
        }
    }
    if (fs::exists(file.string() + "-journal")) {
        std::abort();
    }
    return 0;
}
