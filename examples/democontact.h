#pragma once

#include "softimage.h"

#include <string>
#include <vector>

// A contact sheet: small copies of chosen frames in a grid, each with a caption, so that a whole
// run can be seen in one picture.
class demoContactSheet {
public:
  static constexpr int SCALE = 3;  // each side of a frame shrinks this many times
  static constexpr int COLUMNS = 4;

  void add(const softImage& frame, const std::string& caption);
  bool empty() const { return m_thumbnails.empty(); }
  bool save(const char* path) const;  // false when the file cannot be written

private:
  struct Thumbnail {
    softImage image;
    std::string caption;
  };

  std::vector<Thumbnail> m_thumbnails;
};
