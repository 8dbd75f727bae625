#include "platform/PostgresLibrary.h"

#include <dlfcn.h>

namespace torvik::platform {

int PostgresSocket(void* connection) {
  using SocketOf = int (*)(const void*);
  // Looked up once, in the copy of the library already in the process.
  static const SocketOf socketOf = []() -> SocketOf {
    void* library = dlopen("libpq.so.5", RTLD_LAZY | RTLD_NOLOAD);
    return library != nullptr ? reinterpret_cast<SocketOf>(dlsym(library, "PQsocket")) : nullptr;
  }();
  return socketOf != nullptr && connection != nullptr ? socketOf(connection) : -1;
}

}  // namespace torvik::platform
