#include "softsprite.h"

#include "core.h"
#include "udlogger.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <strings.h>

namespace {

// More animations than this in one descriptor is taken for a mistake.
const int MAX_ANIMATIONS = 256;

bool endsWith(const std::string& text, const char* suffix) {
  size_t length = std::char_traits<char>::length(suffix);
  return text.size() >= length && strcasecmp(text.c_str() + text.size() - length, suffix) == 0;
}

bool parsePositive(const char* token, int* out) {
  errno = 0;
  char* end = nullptr;
  long value = std::strtol(token, &end, 10);
  if (errno != 0 || end == token || *end != '\0' || value < 1 || value > INT_MAX)
    return false;
  *out = static_cast<int>(value);
  return true;
}

// "frames = 4 4 2": one count per animation.
void parseFrames(Parser& parser, std::vector<int>* frames) {
  std::vector<int> counts;
  bool ok = parser.GetEqualsToken();
  char* token;
  while ((token = parser.GetToken(" ,")) && !softIsComment(token)) {
    int count = 0;
    if (!parsePositive(token, &count) || counts.size() >= size_t(MAX_ANIMATIONS)) {
      ok = false;
      break;
    }
    counts.push_back(count);
  }
  if (!ok || counts.empty()) {
    udLogger::log(2, "...expected: \"^C00FF00frames = count count ...^c\" (1 to %d counts)\f",
                  MAX_ANIMATIONS);
    return;
  }
  *frames = counts;
}

}  // namespace

int softSprite::frameCount(int anim) const {
  if (anim < 0 || anim >= static_cast<int>(framesPerAnim.size()))
    return 0;
  return framesPerAnim[anim];
}

bool softSprite::frameRect(int anim, int frame, softRect* rect) const {
  if (frame < 0 || frame >= frameCount(anim))
    return false;
  *rect = softRect {frame * frameWidth, anim * frameHeight, frameWidth, frameHeight};
  return true;
}

int softSpriteTable::create(const char* name) {
  if (!name || !*name) {
    udLogger::log(2, "Cannot load a sprite without a name\f");
    return -1;
  }
  int id = _find(name);
  if (id != -1) {
    ++get(id)->uses;
    return id;
  }
  std::string path;
  if (!m_paths.find(name, {"", ".sprite", ".png"}, &path)) {
    udLogger::log(2, "Cannot load sprite ^C00FF00%s^c: no such file\f", name);
    return -1;
  }
  auto sprite = std::make_unique<softSprite>();
  sprite->name = name;
  if (!_load(path, sprite.get()))
    return -1;
  sprite->uses = 1;
  return m_sprites.add(std::move(sprite));
}

void softSpriteTable::release(const char* name) {
  if (!name)
    return;
  int id = _find(name);
  if (id == -1)
    return;
  if (--get(id)->uses == 0)
    m_sprites.remove(id);
}

softSprite* softSpriteTable::get(int id) {
  return m_sprites.get(id);
}

size_t softSpriteTable::byteSize() const {
  return m_sprites.sum([](const softSprite& sprite) { return sprite.sheet.byteSize(); });
}

int softSpriteTable::_find(const char* name) const {
  return m_sprites.findLast([name](const softSprite& sprite) { return sprite.name == name; });
}

bool softSpriteTable::_load(const std::string& path, softSprite* sprite) {
  if (!endsWith(path, ".png")) {
    if (!_loadDescriptor(path, sprite))
      return false;
  } else if (!softLoadPNG(path.c_str(), &sprite->sheet)) {
    udLogger::log(2, "Cannot load sprite ^C00FF00%s^c: cannot read image %s\f",
                  sprite->name.c_str(), path.c_str());
    return false;
  }
  return _fitFrames(sprite);
}

bool softSpriteTable::_loadDescriptor(const std::string& path, softSprite* sprite) {
  std::vector<char> text;
  if (!softReadText(path, &text)) {
    udLogger::log(2, "Cannot load sprite ^C00FF00%s^c: cannot read %s\f", sprite->name.c_str(),
                  path.c_str());
    return false;
  }
  std::string image;
  Parser parser(text.data());
  while (parser.ParseLine()) {
    char* key = parser.GetToken(" ");
    if (!key || softIsComment(key))
      continue;
    if (strcasecmp(key, "image") == 0) {
      char* value = parser.GetEqualsToken() ? parser.GetToken(" ") : nullptr;
      if (value)
        image = value;
      else
        udLogger::log(2, "...expected: \"^C00FF00image = file^c\"\f");
    } else if (strcasecmp(key, "frames") == 0) {
      parseFrames(parser, &sprite->framesPerAnim);
    } else if (!parser.ParamEqualsInt32_2(key, "frame", &sprite->frameWidth,
                                          &sprite->frameHeight)) {
      udLogger::log(2, "...unknown key ^C00FF00%s^c in %s line %d\f", key, path.c_str(),
                    parser.GetLineNumber());
    }
  }
  if (image.empty()) {
    udLogger::log(2, "Cannot load sprite ^C00FF00%s^c: %s names no image\f", sprite->name.c_str(),
                  path.c_str());
    return false;
  }
  std::string imagePath = softFolderOf(path) + image;
  if (!softLoadPNG(imagePath.c_str(), &sprite->sheet)) {
    udLogger::log(2, "Cannot load sprite ^C00FF00%s^c: cannot read image %s\f",
                  sprite->name.c_str(), imagePath.c_str());
    return false;
  }
  return true;
}

// Fills in what the descriptor left out and checks that every frame lies inside the sheet.
bool softSpriteTable::_fitFrames(softSprite* sprite) {
  const softImage& sheet = sprite->sheet;
  int anims = static_cast<int>(sprite->framesPerAnim.size());
  int widest =
      anims ? *std::max_element(sprite->framesPerAnim.begin(), sprite->framesPerAnim.end()) : 1;
  if (sprite->frameWidth == 0 && sprite->frameHeight == 0) {
    sprite->frameWidth = sheet.width / widest;
    sprite->frameHeight = sheet.height / std::max(anims, 1);
  }
  bool sized = sprite->frameWidth > 0 && sprite->frameHeight > 0;
  if (sized && anims == 0)
    sprite->framesPerAnim.assign(sheet.height / sprite->frameHeight,
                                 sheet.width / sprite->frameWidth);
  anims = static_cast<int>(sprite->framesPerAnim.size());
  widest =
      anims ? *std::max_element(sprite->framesPerAnim.begin(), sprite->framesPerAnim.end()) : 0;
  if (sized && anims > 0 && widest > 0 &&
      static_cast<long long>(widest) * sprite->frameWidth <= sheet.width &&
      static_cast<long long>(anims) * sprite->frameHeight <= sheet.height)
    return true;
  udLogger::log(2,
                "Cannot load sprite ^C00FF00%s^c: %d animations of up to %d frames of %dx%d do not "
                "fit its %dx%d image\f",
                sprite->name.c_str(), anims, widest, sprite->frameWidth, sprite->frameHeight,
                sheet.width, sheet.height);
  return false;
}
