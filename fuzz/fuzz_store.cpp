// Fuzzes the cube store's reader. By the first byte of the input:
//  - a multiple of 4: the rest is judged as the header of a file (the header reader alone);
//  - 2 more than a multiple of 4: the rest is a block of packed members, placed into a
//    hierarchy of two levels with attribute definitions (the second byte is how many members
//    it claims); with bit 3 set it is read as a block of format 2 (values as texts beside each
//    member), else of format 3 (values coded by level and key, with dictionaries and runs);
//  - odd: a list of patches (three bytes of offset, one byte of value) written over a small
//    valid store with attribute values, which is then opened and loaded.
// Whatever the damage, the reader refuses the file with a store failure, or the block as bad,
// or loads a cube; it never crashes, and never leaves a journal behind. A block it places packs
// to bytes that place the same members again and pack to the same bytes.

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
#include "cube/member_blocks.hpp"
#include "cube/store_header.hpp"

namespace {

namespace fs = std::filesystem;
using namespace annalex::cube;

fs::path scratch;
std::string validStore;

// A store of two levels with attribute values on both, a renamed member and a second dimension.
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
    for (const char* key : {"Number", "First"}) {
        auto monthDefinition = objects.newAttributeDef();
        monthDefinition->putName(key);
        month->addAttributeDef(monthDefinition);
    }
    hierarchy->addLevel(month);
    for (int y = 0; y < 20; ++y) {
        auto top = objects.newMember();
        top->putName("Y" + std::to_string(y));
        year->addRootMember(top);
        top->setAttribute("Days", y % 4 == 0 ? "366" : "365");
        for (int m = 0; m < 12; ++m) {
            auto child = objects.newMember();
            child->putName("M" + std::to_string(m));
            child->putOrder(m);
            child->putParent(top);
            child->setAttribute("Number", std::to_string(m + 1));
            child->setAttribute("First", std::to_string(2000 + y) + "-" + std::to_string(10 + m));
        }
    }
    const fs::path file = scratch / "valid.db";
    CubeStore::open(file).save(cube);
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A hierarchy whose first level has two definitions of one key (a value may only name the
// first) and whose second level has three.
std::shared_ptr<MemoryHierarchy> blockTarget(MemoryCube& cube) {
    auto dimension = cube.ensureDimension("Time");
    ObjectFactory& objects = dimension->objects();
    auto hierarchy = objects.newHierarchy();
    dimension->addHierarchy(hierarchy);
    auto top = objects.newLevel();
    for (int d = 0; d < 2; ++d) {
        auto definition = objects.newAttributeDef();
        definition->putName("Days");
        top->addAttributeDef(definition);
    }
    hierarchy->addLevel(top);
    auto bottom = objects.newLevel();
    for (const char* key : {"A", "B", "C"}) {
        auto definition = objects.newAttributeDef();
        definition->putName(key);
        bottom->addAttributeDef(definition);
    }
    hierarchy->addLevel(bottom);
    return std::static_pointer_cast<MemoryHierarchy>(hierarchy);
}

// Places a fuzzed block of format; what it placed must pack and place again to the same
// members.
void unpackFuzzedBlock(std::span<const unsigned char> bytes, std::uint32_t count,
                       std::int64_t format) {
    MemoryCube cube;
    MemberStore& store = *blockTarget(cube)->store();
    try {
        unpackMembers(bytes, count, format, store);
    } catch (const BadMemberBlock&) {
        return;
    }
    MemberPacker packer;
    std::string packed;
    packer.pack(store, 0, count, packed);
    MemoryCube again;
    MemberStore& copy = *blockTarget(again)->store();
    unpackMembers({reinterpret_cast<const unsigned char*>(packed.data()), packed.size()}, count,
                  kStoreFormat, copy);  // a BadMemberBlock here escapes: the fuzzer reports it
    std::string repacked;
    packer.pack(copy, 0, count, repacked);
    if (repacked != packed) {
        std::abort();
    }
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
    if (data[0] % 4 == 2) {
        if (size >= 2) {
            unpackFuzzedBlock({data + 2, size - 2}, data[1], (data[0] & 8) != 0 ? 2 : kStoreFormat);
        }
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
