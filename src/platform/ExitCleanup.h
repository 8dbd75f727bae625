// The test files that must not outlive the process, whatever ends it: the
// file system registers every test file it creates and forgets it when it
// deletes it. DeleteRegisteredFiles() removes what is still registered; it
// is async-signal-safe, so a signal handler or an exit hook may call it.
// Register and forget on any one thread at a time (the GUI thread); the
// deletion may run on any thread, in a signal handler included.
#pragma once

namespace torvik::platform {

// Remembers `path` (at most 64 files at once, each up to 4,095 bytes; more
// are not remembered). Registering a path twice keeps one entry.
void RegisterExitCleanup(const char* path);
// Forgets `path` when it is registered.
void ForgetExitCleanup(const char* path);
// Unlinks every registered file. Async-signal-safe; the entries stay.
void DeleteRegisteredFiles() noexcept;
// How many files are registered now.
int RegisteredFileCount();
// Deletes the registered files at exit() as well, for ends that do not
// return through main (a lost display connection ends Qt with exit()).
// Installs once; later calls do nothing.
void InstallExitHook();

}  // namespace torvik::platform
