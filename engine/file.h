#pragma once

// The engine's file library: real files, names relative to the working directory.

struct _KroFileType_s;

namespace File {
_KroFileType_s* open(const char* name, const char* mode);  // null on failure
unsigned int getLength(_KroFileType_s* file);              // in bytes
// Returns the number of whole items of `size` bytes read.
unsigned int read(void* buffer, unsigned int size, unsigned int count, _KroFileType_s* file);
void close(_KroFileType_s* file);
void registerThread();
void unregisterThread();
}  // namespace File
