// The plain files the program reads and writes besides its test files:
// outputs named on the command line, result sheets to import, the settings
// and the results store. What a path names is asked without waiting on it,
// and a special file (a device, a FIFO, a terminal) is written as it
// stands, never replaced. Any thread.
#pragma once

#include <string>

namespace torvik::platform {

// What `path` names now, links followed: nothing, a regular file, a
// folder, or a special file (a device, a FIFO, a socket, a terminal).
enum class FileKind { Missing, Regular, Directory, Special };
FileKind KindOf(const std::string& path);
// Whether `path` itself is a symbolic link (dangling or not).
bool IsSymbolicLink(const std::string& path);

// Writes `bytes` into the file `path` names as it stands: opened for
// writing, never created or replaced (a regular file, reached through a
// name such as /dev/stdout, is emptied first); a FIFO that nobody reads is
// refused at once (ENXIO) rather than waited on, a folder with EISDIR.
// 0, or the errno.
int WriteInPlace(const std::string& path, const std::string& bytes);

// Writes `bytes` to the open descriptor `fd` as it stands (a file it
// appends to goes on appending): 0, or the errno (EBADF: none is open).
int WriteToDescriptor(int fd, const std::string& bytes);

// Makes the finished file `from` appear at `to` in one step, unless
// something is there already (EEXIST: `to` is left as it was); `from` is
// removed either way. 0, or the errno.
int PublishNewFile(const std::string& from, const std::string& to);

// Opens the regular file `path` for reading, links followed; anything else,
// a FIFO too, is refused at once (EINVAL) rather than waited on. The
// descriptor (close-on-exec, blocking reads), or -errno.
int OpenRegularFileForReading(const std::string& path);

}  // namespace torvik::platform
