#pragma once

#include "softfiles.h"
#include "softimage.h"
#include "softslots.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

struct FT_LibraryRec_;
struct FT_FaceRec_;

// One character as the font draws it: an 8-bit coverage bitmap placed relative to the pen on the
// baseline, and the pen's advance in whole pixels.
struct softGlyph {
  int advance = 0;
  int left = 0;  // from the pen to the bitmap's first column
  int top = 0;   // from the baseline up to the bitmap's first row
  int width = 0;
  int height = 0;
  size_t offset = 0;  // of the bitmap in the font's bitmap store
};

// A TrueType face at one pixel size. Glyphs are rendered by FreeType the first time they are
// asked for and kept, so drawing known text costs no FreeType call and allocates nothing.
// Control characters (below 0x20 and 0x7F to 0x9F) have no glyph and no width; a character the
// face lacks is drawn as the face's missing-glyph box, with that box's width.
class softFont {
public:
  softFont(FT_FaceRec_* face, std::string name, int pixelSize);
  ~softFont();
  softFont(const softFont&) = delete;
  softFont& operator=(const softFont&) = delete;

  const std::string& name() const { return m_name; }
  int height() const { return m_ascent + m_descent; }  // line height in pixels
  int ascent() const { return m_ascent; }              // from the top of a line to its baseline
  bool hasChar(uint32_t ch) const;
  const softGlyph* glyph(uint32_t ch);  // null for a control character
  int textWidth(const uint32_t* text, size_t length);
  // Places one line whose top-left is (x, y): calls place(ch, glyph, left, top) for each glyph
  // with pixels, left to right, with the screen position of the glyph's bitmap.
  template <class Place>
  void layout(const uint32_t* text, size_t length, int x, int y, Place&& place);
  // Draws one line whose top-left is (x, y); rows from clipBottom down are not drawn.
  void draw(softImage& dst, const uint32_t* text, size_t length, int x, int y, int clipBottom,
            softColour colour);
  // The glyph's coverage bitmap: width x height bytes, rows without padding.
  const uint8_t* coverage(const softGlyph& glyph) const { return m_bitmaps.data() + glyph.offset; }
  size_t byteSize() const { return m_bitmaps.size(); }

  int uses = 0;

private:
  softGlyph _render(uint32_t ch);

  FT_FaceRec_* m_face;
  std::string m_name;
  int m_ascent = 0;
  int m_descent = 0;
  softGlyph m_latin1[256];
  bool m_latin1Ready[256] {};
  std::unordered_map<uint32_t, softGlyph> m_others;
  std::vector<uint8_t> m_bitmaps;  // every cached glyph's coverage, rows without padding
};

template <class Place>
void softFont::layout(const uint32_t* text, size_t length, int x, int y, Place&& place) {
  int baseline = y + m_ascent;
  for (size_t i = 0; i < length; ++i) {
    const softGlyph* g = glyph(text[i]);
    if (!g)
      continue;
    if (g->width > 0 && g->height > 0)
      place(text[i], *g, x + g->left, baseline - g->top);
    x += g->advance;
  }
}

// The fonts of the software backend, shared by name with a use count like sprites.
//
// A font name is a TrueType file with an optional pixel size after a colon: "DejaVuSans.ttf:18",
// "title.ttf" (16 pixels), "DejaVuSans-Bold:24". The file is looked up as given, then with
// ".ttf", in the search path and then among the system's DejaVu fonts. An empty name, or
// "default", is DejaVu Sans at 16 pixels. Sizes run from 4 to 256 pixels.
class softFontTable {
public:
  explicit softFontTable(const softSearchPath& paths);
  ~softFontTable();
  softFontTable(const softFontTable&) = delete;
  softFontTable& operator=(const softFontTable&) = delete;

  int create(const char* name);  // -1 when the font cannot be loaded (logged)
  void release(int id);
  softFont* get(int id);  // null for an unknown or released id
  size_t byteSize() const;

  static const int DEFAULT_SIZE = 16;

private:
  int _find(const char* name) const;
  bool _splitName(const char* name, std::string* file, int* size) const;

  const softSearchPath& m_paths;
  FT_LibraryRec_* m_library = nullptr;
  softSlots<softFont> m_fonts;
};
