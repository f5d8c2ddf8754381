#include "fuzzsupport.h"

#include "uitextwidget.h"

#include <memory>

// The UTF-8 decoder over arbitrary bytes, into destinations of exactly the size asked for (the
// first byte chooses it). A shorter destination must get the same characters as a longer one.
extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
  if (size == 0)
    return 0;
  int count = data[0];
  std::vector<char> text = fuzzText(data + 1, size - 1);
  std::unique_ptr<unsigned int[]> full(new unsigned int[count]);
  std::unique_ptr<unsigned int[]> half(new unsigned int[count / 2]);
  utf8ToText(full.get(), text.data(), count);
  utf8ToText(half.get(), text.data(), count / 2);
  if (std::memcmp(full.get(), half.get(), count / 2 * sizeof(unsigned int)) != 0)
    std::abort();
  return 0;
}
