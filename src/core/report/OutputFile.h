// Writing a result to the file the user named (the command line's --output
// and --export-csv, the comparison window's CSV): the system's names of the
// program's own streams (/dev/stdout, /dev/stderr, /dev/fd/N) are written to
// the descriptor the program has (a log a shell appends to is appended to);
// a special file (a device, a FIFO) is written as it stands and never
// replaced; a regular file,
// or a new one, is written whole or not at all, through a temporary file
// renamed over it; a folder is refused. GUI thread (or the
// command line's one thread).
#pragma once

#include <QByteArray>
#include <QString>

namespace torvik {

// Empty when `bytes` are in `path`; else what went wrong, with the path
// ("/dev/full: No space left on device").
QString WriteOutput(const QString& path, const QByteArray& bytes);

}  // namespace torvik
