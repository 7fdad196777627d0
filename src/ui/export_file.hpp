#pragma once
// Writing a generated dimension to a file for the result view's export: the same text as the
// command line writes (cube::writeDimension), into a file that appears whole or not at all. The
// text goes to a temporary file beside the target, which replaces the target only once it is
// complete, so a failed or full-disk export leaves the old file as it was.

#include <QString>
#include <atomic>
#include <cstdint>

#include "cube/dimension_export.hpp"
#include "cube/memory_model.hpp"

namespace annalex::ui {

// Whether both paths name the same file: by device and inode when both exist (links and other
// spellings included), else where they would be created.
bool sameFile(const QString& first, const QString& second);

// Writes dimension to path in format; an empty text on success, else what went wrong, naming
// the file. linesWritten, when given, counts the lines as they are written (for a progress
// bar on another thread). Safe to call from a worker thread while nothing changes the
// dimension.
QString writeDimensionFile(const cube::MemoryDimension& dimension, cube::ExportFormat format,
                           const QString& path, std::atomic<std::uint64_t>* linesWritten = nullptr);

}  // namespace annalex::ui
