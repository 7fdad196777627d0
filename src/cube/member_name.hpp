#pragma once
// A member's name in 16 bytes: up to 15 characters are kept inline, which covers nearly every
// name a calendar makes; a longer name lives in a heap block of its own length.
//
// Inline, the last byte holds 15 less the length (0 for a name of 15 characters, so the byte
// also ends the text); a heap name marks the last byte with kHeap and keeps its pointer and
// length in the first twelve bytes. The class has byte alignment, so a record that holds it
// pays no padding for the pointer.

#include <cstdint>
#include <cstring>
#include <new>
#include <string_view>
#include <utility>

namespace annalex::cube {

class MemberName {
  public:
    static constexpr std::size_t kInline = 15;

    MemberName() noexcept { bytes_[kInline] = static_cast<unsigned char>(kInline); }
    MemberName(const MemberName&) = delete;
    MemberName& operator=(const MemberName&) = delete;
    MemberName(MemberName&& other) noexcept {
        std::memcpy(bytes_, other.bytes_, sizeof bytes_);
        other.bytes_[kInline] = static_cast<unsigned char>(kInline);
    }
    MemberName& operator=(MemberName&& other) noexcept {
        MemberName(std::move(other)).swap(*this);
        return *this;
    }
    ~MemberName() { release(); }

    void swap(MemberName& other) noexcept {
        unsigned char held[sizeof bytes_];
        std::memcpy(held, bytes_, sizeof bytes_);
        std::memcpy(bytes_, other.bytes_, sizeof bytes_);
        std::memcpy(other.bytes_, held, sizeof bytes_);
    }

    std::string_view view() const {
        if (onHeap()) {
            return {heapText(), heapSize()};
        }
        return {reinterpret_cast<const char*>(bytes_), kInline - bytes_[kInline]};
    }

    // Replaces the name. When the heap block of a long name cannot be had (std::bad_alloc),
    // the old name stays.
    void assign(std::string_view text) {
        if (text.size() <= kInline) {
            release();
            std::memcpy(bytes_, text.data(), text.size());
            bytes_[kInline] = static_cast<unsigned char>(kInline - text.size());
            return;
        }
        if (text.size() > UINT32_MAX) {
            throw std::bad_alloc();
        }
        char* block = new char[text.size()];
        std::memcpy(block, text.data(), text.size());
        release();
        const auto size = static_cast<std::uint32_t>(text.size());
        std::memcpy(bytes_, &block, sizeof block);
        std::memcpy(bytes_ + sizeof block, &size, sizeof size);
        bytes_[kInline] = kHeap;
    }

  private:
    static constexpr unsigned char kHeap = 0x80;

    bool onHeap() const { return bytes_[kInline] == kHeap; }
    char* heapText() const {
        char* block = nullptr;
        std::memcpy(&block, bytes_, sizeof block);
        return block;
    }
    std::uint32_t heapSize() const {
        std::uint32_t size = 0;
        std::memcpy(&size, bytes_ + sizeof(char*), sizeof size);
        return size;
    }
    void release() noexcept {
        if (onHeap()) {
            delete[] heapText();
            bytes_[kInline] = static_cast<unsigned char>(kInline);
        }
    }

    unsigned char bytes_[kInline + 1];
};

static_assert(sizeof(MemberName) == 16 && alignof(MemberName) == 1);

}  // namespace annalex::cube
