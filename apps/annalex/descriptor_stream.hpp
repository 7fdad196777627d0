#pragma once
// An output stream over an open file descriptor that checks every write it makes: the first
// failed write stops the stream, and its errno is kept for the caller to report by name.

#include <array>
#include <cstddef>
#include <ostream>
#include <streambuf>

namespace annalex::cli {

class DescriptorStream : public std::ostream {
  public:
    // Writes to fd, which stays open and the caller's.
    explicit DescriptorStream(int fd);
    DescriptorStream(const DescriptorStream&) = delete;
    DescriptorStream& operator=(const DescriptorStream&) = delete;

    // Writes out what is still buffered. The errno of the first write that failed, 0 when
    // every write succeeded.
    int finish();

  private:
    class Buffer : public std::streambuf {
      public:
        explicit Buffer(int fd);
        int error() const { return error_; }
        bool flush();

      protected:
        int_type overflow(int_type c) override;
        std::streamsize xsputn(const char* text, std::streamsize count) override;
        int sync() override;

      private:
        // The most one write(2) is asked to take: Windows counts in an unsigned int.
        static constexpr std::ptrdiff_t kMostPerWrite = std::ptrdiff_t{1} << 30;

        // Writes [next, end) out; false, with the error kept, when a write fails.
        bool writeAll(const char* next, const char* end);

        int fd_;
        int error_ = 0;
        std::array<char, 1 << 16> data_{};
    };

    Buffer buffer_;
};

}  // namespace annalex::cli
