#include "platform/foundation/FileDescriptor.h"

#include <unistd.h>

namespace kavro::platform::foundation {

void FileDescriptor::reset(int fd) {
  // close() is not retried on EINTR: on Linux the descriptor is gone either way.
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
}

}  // namespace kavro::platform::foundation
