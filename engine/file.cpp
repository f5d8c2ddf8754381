#include "file.h"

#include <climits>
#include <cstdio>
#include <sys/stat.h>

// A handle is the stdio stream itself; the struct is never defined.
namespace {

std::FILE* stream(_KroFileType_s* file) {
  return reinterpret_cast<std::FILE*>(file);
}

}  // namespace

namespace File {

// Only regular files open: a directory opens as a stream on Linux, and its length comes back as
// the largest offset there is.
_KroFileType_s* open(const char* name, const char* mode) {
  if (!name || !mode)
    return nullptr;
  std::FILE* fp = std::fopen(name, mode);
  struct stat status;
  if (fp && (fstat(fileno(fp), &status) != 0 || !S_ISREG(status.st_mode))) {
    std::fclose(fp);
    return nullptr;
  }
  return reinterpret_cast<_KroFileType_s*>(fp);
}

// The length is capped so that a caller's length + 1 fits an int: a text that large is no UI
// definition, and an unsigned wrap to 0 would make its buffer too small.
unsigned int getLength(_KroFileType_s* file) {
  if (!file)
    return 0;
  std::FILE* fp = stream(file);
  long position = std::ftell(fp);
  if (position < 0 || std::fseek(fp, 0, SEEK_END) != 0)
    return 0;
  long length = std::ftell(fp);
  std::fseek(fp, position, SEEK_SET);
  if (length < 0)
    return 0;
  return length >= INT_MAX ? INT_MAX - 1 : static_cast<unsigned int>(length);
}

// Items of no bytes are all read at once: an empty file read as one item of its length succeeds.
unsigned int read(void* buffer, unsigned int size, unsigned int count, _KroFileType_s* file) {
  if (!file || !buffer)
    return 0;
  if (size == 0)
    return count;
  return static_cast<unsigned int>(std::fread(buffer, size, count, stream(file)));
}

void close(_KroFileType_s* file) {
  if (file)
    std::fclose(stream(file));
}

// Stdio streams need no per-thread setup.
void registerThread() {}

void unregisterThread() {}

}  // namespace File
