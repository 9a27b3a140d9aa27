#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/FileSystem.h"

namespace morvik {

// What each system does for HeldFile, ReadPlainFile and ReadFromStart; FileSystem.cpp holds
// what is the same on every system around it.

// A plain file opened for reading without following a link, shared so that others may rename and
// delete it; `size` is what the system says of its size. Throws AppError: FileNotFound when
// nothing is there, NotRegularFile for a link or anything but a plain file.
NativeFile OpenPlainFile(const fs::path& file, std::uint64_t& size);
void CloseFile(NativeFile file) noexcept;

// The size the system gives for an open file; 0 when it gives none.
std::uint64_t SizeOf(NativeFile file) noexcept;

// Up to `count` bytes at `offset` into `into`; 0 at the end. Throws AppError when reading fails.
std::size_t ReadAt(NativeFile file, char* into, std::size_t count, std::uint64_t offset,
                   const fs::path& name);

// ReadFromStart for a file whose size is already known: `expected` sizes the string, and a read
// that comes back short right at that size is the end, so a file read whole costs one read. A
// file that has grown since fills the one byte more that was asked for and is read on.
std::string ReadFromStartSized(NativeFile file, std::uint64_t stopAfter, const fs::path& name,
                               std::uint64_t expected);

// FlushFolder met a folder the system cannot flush at all; `why` is the system's word for it.
// Only the first of a run is kept, for TakeUnflushedFolderNotice.
void NoteUnflushedFolder(const fs::path& folder, const std::string& why) noexcept;

}  // namespace morvik
