#include "fuzzsupport.h"

// Every reading function of the Parser over arbitrary text. Each line's first token is taken as
// the key, so the value functions read the rest of the line; every token must lie in the text.
extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
  static bool quiet = (fuzzSilenceLog(), true);
  (void)quiet;
  std::vector<char> text = fuzzText(data, size);
  const char* begin = text.data();
  auto inText = [&](const char* token) {
    if (token && (token < begin || token + std::strlen(token) >= begin + text.size()))
      std::abort();
  };
  Parser parser(text.data());
  int i = 0, a = 0, b = 0;
  unsigned int u = 0;
  float f = 0, g = 0;
  bool flag = false;
  while (parser.ParseLine()) {
    char* key = parser.GetToken(" ");
    inText(key);
    switch (parser.GetLineNumber() % 8) {
    case 0: parser.ParamEqualsInt32(key, key, &i); break;
    case 1: parser.ParamEqualsUInt32(key, key, &u); break;
    case 2: parser.ParamEqualsFloat32(key, key, &f); break;
    case 3: parser.ParamEqualsBoolean(key, key, &flag); break;
    case 4: parser.ParamEqualsInt32_2(key, key, &a, &b); break;
    case 5: parser.ParamEqualsFloat32_2(key, key, &f, &g); break;
    case 6: inText(parser.GetString()); break;
    default: parser.GetEqualsToken(); break;
    }
    while (char* token = parser.GetToken(i & 1 ? " ," : nullptr))
      inText(token);
  }
  return 0;
}
