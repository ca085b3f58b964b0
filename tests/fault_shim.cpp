// Preloaded into a tool under test to make one kind of file call fail, so that the
// tool's handling of a failed rename, close or write runs through its real code path.
// ORVEX_FAIL_RENAME=PART fails every rename whose new name contains PART, and
// ORVEX_FAIL_LINK=PART every hard link made to such a name (as on a file system
// without hard links);
// ORVEX_FAIL_CLOSE=PART and ORVEX_FAIL_WRITE=PART fail closing or writing a descriptor
// whose file's path contains PART (a close still closes, as a delayed error would); the
// close fails through fclose too, which the C library makes without calling close.
// ORVEX_FAIL_THREAD=1 fails every pthread_create, as where no thread can be started.
// ORVEX_SIGNAL_RENAME=N:PART and ORVEX_SIGNAL_LINK=N:PART send the process signal N
// (9: a crash) just before a rename or hard link to or from a name containing PART;
// ORVEX_SLOW_RENAME=PART sleeps two seconds before such a rename, as a busy disk might.
#include <dlfcn.h>
#include <pthread.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool contains(const char* text, const char* variable) {
  const char* part = std::getenv(variable);
  return part != nullptr && *part != '\0' && text != nullptr && std::strstr(text, part) != nullptr;
}

bool descriptorMatches(int fd, const char* variable) {
  if (std::getenv(variable) == nullptr) return false;
  char link[64], path[4096];
  std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  const ssize_t n = readlink(link, path, sizeof path - 1);
  if (n <= 0) return false;
  path[n] = '\0';
  return contains(path, variable);
}

// Raises the signal ORVEX_SIGNAL_<call> names when from or to contains its part.
void signalIfAsked(const char* variable, const char* from, const char* to) {
  const char* value = std::getenv(variable);
  if (value == nullptr) return;
  char* part = nullptr;
  const long signal = std::strtol(value, &part, 10);
  if (*part != ':' || part[1] == '\0') return;
  ++part;
  if (std::strstr(from, part) != nullptr || std::strstr(to, part) != nullptr) {
    std::raise(static_cast<int>(signal));
  }
}

template <typename F>
F next(const char* name) {
  return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" int rename(const char* from, const char* to) {
  static auto real = next<int (*)(const char*, const char*)>("rename");
  if (contains(to, "ORVEX_FAIL_RENAME")) {
    errno = EIO;
    return -1;
  }
  if (contains(to, "ORVEX_SLOW_RENAME")) sleep(2);
  signalIfAsked("ORVEX_SIGNAL_RENAME", from, to);
  return real(from, to);
}

extern "C" int link(const char* from, const char* to) {
  static auto real = next<int (*)(const char*, const char*)>("link");
  if (contains(to, "ORVEX_FAIL_LINK")) {
    errno = EPERM;
    return -1;
  }
  signalIfAsked("ORVEX_SIGNAL_LINK", from, to);
  return real(from, to);
}

extern "C" int close(int fd) {
  static auto real = next<int (*)(int)>("close");
  const bool fail = descriptorMatches(fd, "ORVEX_FAIL_CLOSE");
  const int result = real(fd);
  if (fail) {
    errno = EDQUOT;
    return -1;
  }
  return result;
}

extern "C" ssize_t write(int fd, const void* data, size_t size) {
  static auto real = next<ssize_t (*)(int, const void*, size_t)>("write");
  if (descriptorMatches(fd, "ORVEX_FAIL_WRITE")) {
    errno = ENOSPC;
    return -1;
  }
  return real(fd, data, size);
}

extern "C" int fclose(FILE* file) {
  static auto real = next<int (*)(FILE*)>("fclose");
  const bool fail = descriptorMatches(fileno(file), "ORVEX_FAIL_CLOSE");
  const int result = real(file);
  if (fail) {
    errno = EDQUOT;
    return EOF;
  }
  return result;
}

extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t* attributes,
                              void* (*start)(void*), void* argument) {
  static auto real =
      next<int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*)>("pthread_create");
  const char* fail = std::getenv("ORVEX_FAIL_THREAD");
  if (fail != nullptr && *fail != '\0') return EAGAIN;
  return real(thread, attributes, start, argument);
}
