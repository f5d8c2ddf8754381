#include "file.h"

#include "tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

// Reads of whole items: a short read counts only the items it completed, and an empty file still
// reads as one empty item (the loader reads its file as one item of the file's length).
TEST(File, ReadsCountWholeItemsOnly) {
  struct Case {
    std::string content;
    unsigned int size, count, items;
  } cases[] = {
      {"12345", 2, 4, 2},
      {"12345", 6, 1, 0},
      {"", 0, 1, 1},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.content);
    _KroFileType_s* handle = File::open(dir.write("file.txt", c.content).c_str(), "rb");
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(File::getLength(handle), c.content.size());
    std::string buffer(c.size * c.count, '\0');
    EXPECT_EQ(File::read(&buffer[0], c.size, c.count, handle), c.items);
    EXPECT_EQ(buffer.substr(0, c.items * c.size), c.content.substr(0, c.items * c.size));
    File::close(handle);
  }
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
