#include "ui/export_file.hpp"

#include <QDir>
#include <QSaveFile>
#include <algorithm>
#include <array>
#include <exception>
#include <filesystem>
#include <ostream>
#include <streambuf>

namespace annalex::ui {
namespace {

std::filesystem::path nativePath(const QString& path) {
    const QByteArray utf8 = path.toUtf8();
    return std::u8string(reinterpret_cast<const char8_t*>(utf8.constData()),
                         static_cast<std::size_t>(utf8.size()));
}

// A stream buffer that hands what is written to a file in large pieces and counts the lines.
class FileBuffer final : public std::streambuf {
  public:
    FileBuffer(QSaveFile& file, std::atomic<std::uint64_t>* lines) : file_(file), lines_(lines) {
        setp(buffer_.data(), buffer_.data() + buffer_.size());
    }
    bool failed() const { return failed_; }

  protected:
    int_type overflow(int_type c) override {
        if (!drain()) {
            return traits_type::eof();
        }
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }
    int sync() override { return drain() ? 0 : -1; }

  private:
    bool drain() {
        const auto size = static_cast<qint64>(pptr() - pbase());
        if (lines_ != nullptr) {
            lines_->fetch_add(static_cast<std::uint64_t>(std::count(pbase(), pptr(), '\n')),
                              std::memory_order_relaxed);
        }
        if (size > 0 && file_.write(pbase(), size) != size) {
            failed_ = true;
        }
        setp(buffer_.data(), buffer_.data() + buffer_.size());
        return !failed_;
    }

    QSaveFile& file_;
    std::atomic<std::uint64_t>* lines_;
    std::array<char, 1 << 16> buffer_{};
    bool failed_ = false;
};

}  // namespace

bool sameFile(const QString& first, const QString& second) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::equivalent(nativePath(first), nativePath(second), error) && !error) {
        return true;
    }
    std::error_code firstError;
    std::error_code secondError;
    const fs::path a = fs::weakly_canonical(fs::absolute(nativePath(first)), firstError);
    const fs::path b = fs::weakly_canonical(fs::absolute(nativePath(second)), secondError);
    return !firstError && !secondError && a == b;
}

QString writeDimensionFile(const cube::MemoryDimension& dimension, cube::ExportFormat format,
                           const QString& path, std::atomic<std::uint64_t>* linesWritten) {
    const QString shown = QDir::toNativeSeparators(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return QStringLiteral("Cannot write \"%1\": %2").arg(shown, file.errorString());
    }
    FileBuffer buffer(file, linesWritten);
    std::ostream out(&buffer);
    try {
        cube::writeDimension(dimension, format, out);
        out.flush();
    } catch (const std::exception& failure) {
        file.cancelWriting();
        return QStringLiteral("Writing \"%1\" failed: %2")
            .arg(shown, QString::fromUtf8(failure.what()));
    }
    if (!out || buffer.failed()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return QStringLiteral("Writing \"%1\" failed: %2").arg(shown, reason);
    }
    if (!file.commit()) {
        return QStringLiteral("Writing \"%1\" failed: %2").arg(shown, file.errorString());
    }
    return {};
}

}  // namespace annalex::ui
