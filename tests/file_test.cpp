#include "file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

// A file of the given content in the temporary directory, removed again at the end of the test.
class TempFile {
public:
  explicit TempFile(const std::string& content) {
    m_path = (std::filesystem::temp_directory_path() /
              ("file_test_" + std::to_string(++s_count) + ".txt"))
                 .string();
    std::FILE* out = std::fopen(m_path.c_str(), "wb");
    std::fwrite(content.data(), 1, content.size(), out);
    std::fclose(out);
  }
  ~TempFile() { std::remove(m_path.c_str()); }
  const char* path() const { return m_path.c_str(); }

private:
  static inline int s_count = 0;
  std::string m_path;
};

}  // namespace

TEST(File, ReadsAWholeFileAsOneItem) {
  TempFile file("line one\r\nline two\n");
  _KroFileType_s* handle = File::open(file.path(), "rb");
  ASSERT_NE(handle, nullptr);
  unsigned int length = File::getLength(handle);
  EXPECT_EQ(length, 19u);
  // Asking the length does not move the read position.
  EXPECT_EQ(File::getLength(handle), 19u);
  std::string buffer(length, '\0');
  EXPECT_EQ(File::read(&buffer[0], length, 1, handle), 1u);
  EXPECT_EQ(buffer, "line one\r\nline two\n");
  File::close(handle);
}

TEST(File, ShortReadsCountWholeItemsOnly) {
  TempFile file("12345");
  _KroFileType_s* handle = File::open(file.path(), "rb");
  ASSERT_NE(handle, nullptr);
  char buffer[16] = {};
  EXPECT_EQ(File::read(buffer, 2, 4, handle), 2u);
  EXPECT_EQ(File::read(buffer, 6, 1, handle), 0u);
  File::close(handle);
}

TEST(File, EmptyFileReadsAsOneEmptyItem) {
  TempFile file("");
  _KroFileType_s* handle = File::open(file.path(), "rb");
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(File::getLength(handle), 0u);
  char terminator[1];
  EXPECT_EQ(File::read(terminator, 0, 1, handle), 1u);
  File::close(handle);
}

TEST(File, MissingFilesDirectoriesAndNullHandlesFailQuietly) {
  EXPECT_EQ(File::open("no_such_directory/no_such_file.ui", "rb"), nullptr);
  EXPECT_EQ(File::open(nullptr, "rb"), nullptr);
  // A directory is no file, although stdio opens one and gives it an enormous length.
  EXPECT_EQ(File::open(std::filesystem::temp_directory_path().c_str(), "rb"), nullptr);
  char buffer[4];
  EXPECT_EQ(File::getLength(nullptr), 0u);
  EXPECT_EQ(File::read(buffer, 1, 4, nullptr), 0u);
  File::close(nullptr);
  File::registerThread();
  File::unregisterThread();
}
