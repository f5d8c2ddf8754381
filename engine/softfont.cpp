#include "softfont.h"

#include "udlogger.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace {

const char* const SYSTEM_FONT_FOLDER = "/usr/share/fonts/truetype/dejavu/";
const char* const DEFAULT_FONT = "DejaVuSans.ttf";
const int MIN_SIZE = 4;
const int MAX_SIZE = 256;

bool isControl(uint32_t ch) {
  return ch < 0x20 || (ch >= 0x7F && ch <= 0x9F);
}

int roundedPixels(long value26dot6) {
  return static_cast<int>((value26dot6 + 32) >> 6);
}

}  // namespace

softFont::softFont(FT_FaceRec_* face, std::string name, int pixelSize)
    : m_face(face), m_name(std::move(name)) {
  FT_Set_Pixel_Sizes(m_face, 0, static_cast<FT_UInt>(pixelSize));
  m_ascent = static_cast<int>((m_face->size->metrics.ascender + 63) >> 6);
  m_descent = static_cast<int>((-m_face->size->metrics.descender + 63) >> 6);
}

softFont::~softFont() {
  FT_Done_Face(m_face);
}

bool softFont::hasChar(uint32_t ch) const {
  return !isControl(ch) && FT_Get_Char_Index(m_face, ch) != 0;
}

const softGlyph* softFont::glyph(uint32_t ch) {
  if (isControl(ch))
    return nullptr;
  if (ch < 256) {
    if (!m_latin1Ready[ch]) {
      m_latin1[ch] = _render(ch);
      m_latin1Ready[ch] = true;
    }
    return &m_latin1[ch];
  }
  auto known = m_others.find(ch);
  if (known != m_others.end())
    return &known->second;
  return &m_others.emplace(ch, _render(ch)).first->second;
}

int softFont::textWidth(const uint32_t* text, size_t length) {
  int width = 0;
  for (size_t i = 0; i < length; ++i)
    if (const softGlyph* g = glyph(text[i]))
      width += g->advance;
  return width;
}

void softFont::draw(softImage& dst, const uint32_t* text, size_t length, int x, int y,
                    int clipBottom, softColour colour) {
  layout(text, length, x, y, [&](uint32_t, const softGlyph& g, int left, int top) {
    softDraw::coverage(dst, coverage(g), g.width, left, top, g.width, g.height, clipBottom,
                       colour);
  });
}

// A glyph FreeType cannot render is kept empty, so that it is not tried again at every frame.
softGlyph softFont::_render(uint32_t ch) {
  softGlyph g;
  if (FT_Load_Char(m_face, ch, FT_LOAD_RENDER) != 0)
    return g;
  FT_GlyphSlot slot = m_face->glyph;
  const FT_Bitmap& bitmap = slot->bitmap;
  g.advance = roundedPixels(slot->advance.x);
  if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY)
    return g;
  g.left = slot->bitmap_left;
  g.top = slot->bitmap_top;
  g.width = static_cast<int>(bitmap.width);
  g.height = static_cast<int>(bitmap.rows);
  g.offset = m_bitmaps.size();
  m_bitmaps.resize(m_bitmaps.size() + static_cast<size_t>(g.width) * g.height);
  for (int row = 0; row < g.height; ++row)
    std::memcpy(&m_bitmaps[g.offset + static_cast<size_t>(row) * g.width],
                bitmap.buffer + static_cast<long>(row) * bitmap.pitch, g.width);
  return g;
}

softFontTable::softFontTable(const softSearchPath& paths) : m_paths(paths) {
  if (FT_Init_FreeType(&m_library) != 0)
    m_library = nullptr;
}

softFontTable::~softFontTable() {
  m_fonts.clear();  // faces go before the library that made them
  if (m_library)
    FT_Done_FreeType(m_library);
}

int softFontTable::create(const char* name) {
  if (!name)
    name = "";
  int id = _find(name);
  if (id != -1) {
    ++get(id)->uses;
    return id;
  }
  std::string file;
  int size = DEFAULT_SIZE;
  if (!_splitName(name, &file, &size)) {
    udLogger::log(2, "Cannot load font ^C00FF00%s^c: the size must be %d to %d pixels\f", name,
                  MIN_SIZE, MAX_SIZE);
    return -1;
  }
  std::string path;
  if (!m_paths.find(file, {"", ".ttf"}, &path) &&
      !m_paths.find(SYSTEM_FONT_FOLDER + file, {"", ".ttf"}, &path)) {
    udLogger::log(2, "Cannot load font ^C00FF00%s^c: no such file\f", name);
    return -1;
  }
  FT_Face face = nullptr;
  if (!m_library || FT_New_Face(m_library, path.c_str(), 0, &face) != 0) {
    udLogger::log(2, "Cannot load font ^C00FF00%s^c: %s is not a font FreeType can read\f", name,
                  path.c_str());
    return -1;
  }
  auto font = std::make_unique<softFont>(face, name, size);
  font->uses = 1;
  return m_fonts.add(std::move(font));
}

void softFontTable::release(int id) {
  softFont* font = get(id);
  if (font && --font->uses == 0)
    m_fonts.remove(id);
}

softFont* softFontTable::get(int id) {
  return m_fonts.get(id);
}

size_t softFontTable::byteSize() const {
  return m_fonts.sum([](const softFont& font) { return font.byteSize(); });
}

int softFontTable::_find(const char* name) const {
  return m_fonts.findLast([name](const softFont& font) { return font.name() == name; });
}

// "FILE:SIZE" or "FILE"; false for a size out of range.
bool softFontTable::_splitName(const char* name, std::string* file, int* size) const {
  *file = name;
  const char* colon = std::strrchr(name, ':');
  if (colon && colon[1] && std::strspn(colon + 1, "0123456789") == std::strlen(colon + 1)) {
    file->assign(name, colon);
    long value = std::strtol(colon + 1, nullptr, 10);
    if (value < MIN_SIZE || value > MAX_SIZE)
      return false;
    *size = static_cast<int>(value);
  }
  if (file->empty() || strcasecmp(file->c_str(), "default") == 0)
    *file = DEFAULT_FONT;
  return true;
}
