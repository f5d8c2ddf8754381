#include "democontact.h"

#include "softfiles.h"
#include "softfont.h"

#include <algorithm>
#include <cstring>

namespace {

const int k_margin = 12;
const int k_captionHeight = 24;
const softColour k_paper {14, 16, 26, 255};
const softColour k_ink {200, 214, 240, 255};

// Each pixel of the copy is the average of the SCALE x SCALE block it stands for.
softImage shrink(const softImage& frame, int scale) {
  softImage small;
  small.resize(frame.width / scale, frame.height / scale);
  for (int y = 0; y < small.height; ++y) {
    for (int x = 0; x < small.width; ++x) {
      unsigned int sum[4] = {};
      for (int dy = 0; dy < scale; ++dy) {
        for (int dx = 0; dx < scale; ++dx) {
          const uint8_t* p = frame.at(x * scale + dx, y * scale + dy);
          for (int c = 0; c < 4; ++c)
            sum[c] += p[c];
        }
      }
      for (int c = 0; c < 4; ++c)
        small.at(x, y)[c] = static_cast<uint8_t>(sum[c] / (scale * scale));
    }
  }
  return small;
}

void paste(softImage& sheet, const softImage& picture, int left, int top) {
  for (int y = 0; y < picture.height; ++y)
    std::memcpy(sheet.at(left, top + y), picture.at(0, y), static_cast<size_t>(picture.width) * 4);
}

}  // namespace

void demoContactSheet::add(const softImage& frame, const std::string& caption) {
  m_thumbnails.push_back({shrink(frame, SCALE), caption});
}

bool demoContactSheet::save(const char* path) const {
  if (m_thumbnails.empty())
    return false;
  int cellWidth = m_thumbnails[0].image.width;
  int cellHeight = m_thumbnails[0].image.height + k_captionHeight;
  int columns = std::min(COLUMNS, static_cast<int>(m_thumbnails.size()));
  int rows = (static_cast<int>(m_thumbnails.size()) + COLUMNS - 1) / COLUMNS;
  softImage sheet;
  sheet.resize(k_margin + columns * (cellWidth + k_margin),
               k_margin + rows * (cellHeight + k_margin));
  for (size_t i = 0; i < sheet.pixels.size(); i += 4) {
    sheet.pixels[i] = k_paper.r;
    sheet.pixels[i + 1] = k_paper.g;
    sheet.pixels[i + 2] = k_paper.b;
    sheet.pixels[i + 3] = k_paper.a;
  }

  softSearchPath noFolders;
  softFontTable fonts(noFolders);
  softFont* font = fonts.get(fonts.create("DejaVuSans-Bold:13"));
  for (size_t i = 0; i < m_thumbnails.size(); ++i) {
    const Thumbnail& thumbnail = m_thumbnails[i];
    int left = k_margin + static_cast<int>(i % COLUMNS) * (cellWidth + k_margin);
    int top = k_margin + static_cast<int>(i / COLUMNS) * (cellHeight + k_margin);
    paste(sheet, thumbnail.image, left, top);
    if (font) {
      std::vector<uint32_t> text(thumbnail.caption.begin(), thumbnail.caption.end());
      font->draw(sheet, text.data(), text.size(), left, top + thumbnail.image.height + 5,
                 sheet.height, k_ink);
    }
  }
  return softSavePNG(path, sheet);
}
