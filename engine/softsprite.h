#pragma once

#include "softfiles.h"
#include "softimage.h"
#include "softslots.h"

#include <memory>
#include <string>
#include <vector>

// A sprite: a sheet image whose rows are animations and whose columns are their frames, all
// frames of one size. The top-left frame of row a, column f lies at (f * width, a * height).
struct softSprite {
  std::string name;  // as given to create
  softImage sheet;
  int frameWidth = 0;
  int frameHeight = 0;
  std::vector<int> framesPerAnim;  // one entry per animation, top row first
  int uses = 0;
  bool reportedBadFrame = false;  // a missing frame is reported once, not at every drawing

  int frameCount(int anim) const;
  // The frame's rectangle within the sheet; false when the sprite has no such frame.
  bool frameRect(int anim, int frame, softRect* rect) const;
};

// The sprites of the software backend, shared by name: creating a name that is loaded adds a
// use, releasing it drops one, and the last release frees the sheet.
//
// A sprite name is looked up as given, then with ".sprite", then with ".png" (see softSearchPath).
// A PNG is a sprite of one animation of one frame. A ".sprite" file describes a sheet, one
// "key = value" line each; a "#" or "//" word starts a comment that runs to the line's end:
//
//   image = button.png   # the sheet, relative to this file
//   frame = 64 32        # width and height of one frame in pixels
//   frames = 4 4 2       # frames of each animation, top row first
//
// Without "frames" every row of the sheet is an animation that fills the row; without "frame"
// the frames divide the sheet evenly (the whole image is one frame when both are missing).
//
// Ids count from 1 and are never given again, so a stale id draws nothing instead of another
// sprite.
class softSpriteTable {
public:
  explicit softSpriteTable(const softSearchPath& paths) : m_paths(paths) {}

  int create(const char* name);  // -1 when the sprite cannot be loaded (logged)
  void release(const char* name);
  softSprite* get(int id);  // null for an unknown or released id
  size_t byteSize() const;  // pixels of every loaded sheet

private:
  int _find(const char* name) const;  // the id of a loaded sprite, or -1
  bool _load(const std::string& path, softSprite* sprite);
  bool _loadDescriptor(const std::string& path, softSprite* sprite);
  bool _fitFrames(softSprite* sprite);

  const softSearchPath& m_paths;
  softSlots<softSprite> m_sprites;
};
