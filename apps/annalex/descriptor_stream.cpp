#include "descriptor_stream.hpp"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstddef>

namespace annalex::cli {

DescriptorStream::Buffer::Buffer(int fd) : fd_(fd) {
    setp(data_.data(), data_.data() + data_.size());
}

bool DescriptorStream::Buffer::writeAll(const char* next, const char* end) {
    while (next < end) {
        const auto count =
            static_cast<unsigned>(std::min<std::ptrdiff_t>(end - next, kMostPerWrite));
        const auto written = ::write(fd_, next, count);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            error_ = written < 0 ? errno : EIO;
            return false;
        }
        next += written;
    }
    return true;
}

bool DescriptorStream::Buffer::flush() {
    if (error_ != 0 || !writeAll(pbase(), pptr())) {
        return false;
    }
    setp(data_.data(), data_.data() + data_.size());
    return true;
}

std::streamsize DescriptorStream::Buffer::xsputn(const char* text, std::streamsize count) {
    // A piece at least as large as the buffer goes out as it is, after what the buffer holds,
    // rather than copied through the buffer.
    if (count < static_cast<std::streamsize>(data_.size())) {
        return std::streambuf::xsputn(text, count);
    }
    if (!flush() || !writeAll(text, text + count)) {
        return 0;
    }
    return count;
}

DescriptorStream::Buffer::int_type DescriptorStream::Buffer::overflow(int_type c) {
    if (!flush()) {
        return traits_type::eof();
    }
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

int DescriptorStream::Buffer::sync() {
    return flush() ? 0 : -1;
}

DescriptorStream::DescriptorStream(int fd) : std::ostream(nullptr), buffer_(fd) {
    rdbuf(&buffer_);
}

int DescriptorStream::finish() {
    flush();
    buffer_.flush();
    return buffer_.error();
}

}  // namespace annalex::cli
