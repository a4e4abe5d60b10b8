/* Preloaded into a program, makes its sockets see the receive buffer cap of
 * a stock kernel without changing the machine's: SO_RCVBUF asks for at most
 * SKARVEL_RMEM_MAX bytes (default 212992, Debian's net.core.rmem_max), and
 * SO_RCVBUFFORCE is refused as it is for a process without CAP_NET_ADMIN.
 * lan_scale.sh runs the clients under it to measure what an ordinary user
 * gets where the sysctl cannot be set for the test. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdlib.h>
#include <sys/socket.h>

typedef int (*setsockopt_fn)(int, int, int, const void*, socklen_t);

static int rmem_max(void) {
  const char* text = getenv("SKARVEL_RMEM_MAX");
  char* end = NULL;
  long bytes = text ? strtol(text, &end, 10) : 0;
  if (!text || *end != '\0' || bytes <= 0 || bytes > 1L << 30)
    return 212992;
  return (int)bytes;
}

/* Exported although the build hides symbols by default: it stands in for libc. */
__attribute__((visibility("default"))) int setsockopt(int fd, int level, int option,
                                                      const void* value, socklen_t length) {
  static setsockopt_fn next;
  if (!next)
    next = (setsockopt_fn)dlsym(RTLD_NEXT, "setsockopt");
  if (!next) {
    errno = ENOSYS;
    return -1;
  }
  if (level == SOL_SOCKET && option == SO_RCVBUFFORCE) {
    errno = EPERM;
    return -1;
  }
  if (level == SOL_SOCKET && option == SO_RCVBUF && value && length >= sizeof(int)) {
    const int cap = rmem_max();
    const int asked = *(const int*)value;
    if (asked > cap)
      return next(fd, level, option, &cap, sizeof cap);
  }
  return next(fd, level, option, value, length);
}
