#pragma once
// Reading and writing through C runtime file descriptors, each platform its own way
// (descriptor_io_posix.cpp, descriptor_io_windows.cpp). Internal to emulator/fs.

#include <cstddef>
#include <cstdint>
#include <string>

namespace vrk::fs::io {

// Opens path (UTF-8) for reading, not inherited by child processes; -1 with errno.
int openForReading(const std::string& path);
// What is open: its size, and whether it is a regular file or a folder. False with errno.
bool describe(int fd, std::uint64_t& size, bool& regular, bool& folder);
// Read or write up to n bytes; the count, 0 at the end of the file, or -1 with errno.
long readSome(int fd, char* p, std::size_t n);
long writeSome(int fd, const char* p, std::size_t n);
// Starts handing the bytes from..to to the disk without waiting, where the system can.
void startWriteback(int fd, std::uint64_t from, std::uint64_t to);
// Waits until what was written is on the disk; false with errno.
bool flushToDisk(int fd);
int closeFile(int fd);
// Backs fresh memory with pages in one call rather than a page fault per page as it is first written;
// under a hypervisor each fault costs microseconds. Where the system cannot, the faults happen anyway.
void prefault(char* p, std::size_t size);

}  // namespace vrk::fs::io
