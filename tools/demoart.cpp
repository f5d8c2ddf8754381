// Draws the demo's art: sprite sheets (button states as animation rows, a cursor, icons,
// panels, a ship and asteroids), each as a PNG with its ".sprite" descriptor, all made from
// shapes and seeded noise so that nothing is copied from anywhere and every run gives the same
// bytes. Usage: demoart OUTPUT_FOLDER (the demo keeps them in examples/demo/art).
#include "softimage.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

const float k_pi = 3.14159265f;

// A colour with straight alpha, each channel 0..1.
struct Colour {
  float r, g, b, a;
};

Colour rgb(int r, int g, int b, float a = 1.0f) {
  return {r / 255.0f, g / 255.0f, b / 255.0f, a};
}

Colour mix(Colour p, Colour q, float t) {
  t = std::clamp(t, 0.0f, 1.0f);
  return {p.r + (q.r - p.r) * t, p.g + (q.g - p.g) * t, p.b + (q.b - p.b) * t,
          p.a + (q.a - p.a) * t};
}

Colour withAlpha(Colour c, float a) {
  return {c.r, c.g, c.b, a};
}

// A rectangle of a sheet that one frame is drawn into; drawing is clipped to it, and shapes are
// placed in the frame's own coordinates.
struct Frame {
  softImage* sheet;
  int left, top, width, height;
};

// Lays `coverage` (0..1) of a straight-alpha colour over the pixel, keeping straight alpha.
void blend(Frame& f, int x, int y, Colour c, float coverage) {
  if (x < 0 || y < 0 || x >= f.width || y >= f.height)
    return;
  float a = std::clamp(c.a * coverage, 0.0f, 1.0f);
  if (a <= 0.0f)
    return;
  uint8_t* p = f.sheet->at(f.left + x, f.top + y);
  float da = p[3] / 255.0f;
  float outA = a + da * (1.0f - a);
  auto channel = [&](uint8_t dst, float src) {
    float v = (src * a + dst / 255.0f * da * (1.0f - a)) / outA;
    return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
  };
  p[0] = channel(p[0], c.r);
  p[1] = channel(p[1], c.g);
  p[2] = channel(p[2], c.b);
  p[3] = static_cast<uint8_t>(std::lround(outA * 255.0f));
}

// A signed distance in pixels: negative inside the shape, positive outside.
using Distance = std::function<float(float x, float y)>;
using Paint = std::function<Colour(float x, float y)>;

// The pixels a shape may touch; the whole frame unless a drawing says otherwise.
struct Box {
  int left = 0, top = 0, right = 1 << 20, bottom = 1 << 20;
};

Box around(float x, float y, float radius) {
  return {static_cast<int>(x - radius) - 1, static_cast<int>(y - radius) - 1,
          static_cast<int>(x + radius) + 2, static_cast<int>(y + radius) + 2};
}

template <typename Visit>
void eachPixel(const Frame& f, const Box& box, Visit visit) {
  for (int y = std::max(box.top, 0); y < std::min(box.bottom, f.height); ++y) {
    for (int x = std::max(box.left, 0); x < std::min(box.right, f.width); ++x)
      visit(x, y);
  }
}

// Fills a shape with a one-pixel soft edge.
void fill(Frame& f, const Distance& shape, const Paint& paint, const Box& box = Box()) {
  eachPixel(f, box, [&](int x, int y) {
    float d = shape(x + 0.5f, y + 0.5f);
    if (d < 0.5f)
      blend(f, x, y, paint(x + 0.5f, y + 0.5f), std::min(1.0f, 0.5f - d));
  });
}

Paint flat(Colour colour) {
  return [colour](float, float) { return colour; };
}

// The shape that covers the whole frame.
Distance everywhere() {
  return [](float, float) { return -1.0f; };
}

void fill(Frame& f, const Distance& shape, Colour colour, const Box& box = Box()) {
  fill(f, shape, flat(colour), box);
}

// A glow around the outside of a shape, fading over `radius` pixels.
void glow(Frame& f, const Distance& shape, Colour colour, float radius, const Box& box = Box()) {
  eachPixel(f, box, [&](int x, int y) {
    float d = shape(x + 0.5f, y + 0.5f);
    if (d > 0.0f && d < radius * 3.0f)
      blend(f, x, y, colour, std::exp(-d / radius));
  });
}

// An outline of the shape's edge, `width` pixels wide.
Distance outline(Distance shape, float width) {
  return [shape, width](float x, float y) { return std::fabs(shape(x, y)) - width * 0.5f; };
}

Distance roundRect(float left, float top, float right, float bottom, float radius) {
  return [=](float x, float y) {
    float cx = (left + right) * 0.5f, cy = (top + bottom) * 0.5f;
    float qx = std::fabs(x - cx) - ((right - left) * 0.5f - radius);
    float qy = std::fabs(y - cy) - ((bottom - top) * 0.5f - radius);
    float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
    return outside + std::min(std::max(qx, qy), 0.0f) - radius;
  };
}

Distance circle(float cx, float cy, float radius) {
  return [=](float x, float y) { return std::hypot(x - cx, y - cy) - radius; };
}

Distance segment(float ax, float ay, float bx, float by, float halfWidth) {
  return [=](float x, float y) {
    float dx = bx - ax, dy = by - ay;
    float t = std::clamp(((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy), 0.0f, 1.0f);
    return std::hypot(x - ax - t * dx, y - ay - t * dy) - halfWidth;
  };
}

struct Point {
  float x, y;
};

// Any simple polygon: the distance to the nearest edge, negative inside (even-odd rule).
Distance polygon(std::vector<Point> points) {
  return [points](float x, float y) {
    float nearest = 1e9f;
    bool inside = false;
    for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
      Point a = points[j], b = points[i];
      float dx = b.x - a.x, dy = b.y - a.y;
      float t = std::clamp(((x - a.x) * dx + (y - a.y) * dy) / (dx * dx + dy * dy), 0.0f, 1.0f);
      nearest = std::min(nearest, std::hypot(x - a.x - t * dx, y - a.y - t * dy));
      if ((a.y > y) != (b.y > y) && x < a.x + (y - a.y) / (b.y - a.y) * (b.x - a.x))
        inside = !inside;
    }
    return inside ? -nearest : nearest;
  };
}

Distance unite(Distance p, Distance q) {
  return [p, q](float x, float y) { return std::min(p(x, y), q(x, y)); };
}

Distance subtract(Distance p, Distance q) {
  return [p, q](float x, float y) { return std::max(p(x, y), -q(x, y)); };
}

Paint vertical(Colour top, Colour bottom, float y0, float y1) {
  return [=](float, float y) { return mix(top, bottom, (y - y0) / (y1 - y0)); };
}

// Seeded value noise, so the art comes out the same on every run.
float hash(int x, int y, int seed) {
  unsigned int h = static_cast<unsigned int>(x) * 374761393u +
                   static_cast<unsigned int>(y) * 668265263u +
                   static_cast<unsigned int>(seed) * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return ((h ^ (h >> 16)) & 0xFFFF) / 65535.0f;
}

float noise(float x, float y, int seed) {
  int ix = static_cast<int>(std::floor(x)), iy = static_cast<int>(std::floor(y));
  float fx = x - ix, fy = y - iy;
  fx = fx * fx * (3 - 2 * fx);
  fy = fy * fy * (3 - 2 * fy);
  float top = hash(ix, iy, seed) + (hash(ix + 1, iy, seed) - hash(ix, iy, seed)) * fx;
  float bottom =
      hash(ix, iy + 1, seed) + (hash(ix + 1, iy + 1, seed) - hash(ix, iy + 1, seed)) * fx;
  return top + (bottom - top) * fy;
}

float clouds(float x, float y, int seed) {
  float sum = 0.0f, weight = 0.5f;
  for (int octave = 0; octave < 4; ++octave, x *= 2.0f, y *= 2.0f, weight *= 0.5f)
    sum += noise(x, y, seed + octave) * weight;
  return sum / 0.9375f;
}

// A sheet of equally sized frames, one row per animation, written with its descriptor.
class Sheet {
public:
  Sheet(std::string name, int frameWidth, int frameHeight, std::vector<int> framesPerAnim)
      : m_name(std::move(name)),
        m_width(frameWidth),
        m_height(frameHeight),
        m_frames(std::move(framesPerAnim)) {
    int columns = *std::max_element(m_frames.begin(), m_frames.end());
    m_image.resize(columns * m_width, static_cast<int>(m_frames.size()) * m_height);
  }

  Frame frame(int anim, int index) {
    return {&m_image, index * m_width, anim * m_height, m_width, m_height};
  }
  int frames(int anim) const { return m_frames[anim]; }

  bool write(const std::string& folder) const {
    std::string base = folder + "/" + m_name;
    if (!softSavePNG((base + ".png").c_str(), m_image))
      return false;
    std::FILE* file = std::fopen((base + ".sprite").c_str(), "w");
    if (!file)
      return false;
    std::fprintf(file, "# Made by tools/demoart: rows are animations, columns their frames.\n");
    std::fprintf(file, "image = %s.png\nframe = %d %d\nframes =", m_name.c_str(), m_width,
                 m_height);
    for (int count : m_frames)
      std::fprintf(file, " %d", count);
    std::fprintf(file, "\n");
    return std::fclose(file) == 0;
  }

private:
  std::string m_name;
  int m_width, m_height;
  std::vector<int> m_frames;
  softImage m_image;
};

// The states of every control sheet, one row each, in the order the button draws them.
enum State { IDLE, HOVER, PRESSED, DISABLED };

const Colour k_cyan = rgb(70, 205, 255);
const Colour k_magenta = rgb(255, 80, 175);
const Colour k_white = rgb(235, 242, 255);

// -- Backdrop, panels and strips --

Sheet backdrop() {
  Sheet sheet("backdrop", 800, 600, {1});
  Frame f = sheet.frame(0, 0);
  fill(f, everywhere(), vertical(rgb(6, 8, 24), rgb(20, 14, 44), 0, 600));
  // Two soft nebulae, then stars of a few sizes.
  fill(f, everywhere(), [](float x, float y) {
    float c = clouds(x / 180.0f, y / 180.0f, 11);
    float falloff = std::exp(-std::pow(std::hypot(x - 600, y - 170) / 330.0f, 2.0f));
    return withAlpha(rgb(120, 40, 160), std::max(0.0f, c - 0.35f) * 0.9f * falloff);
  });
  fill(f, everywhere(), [](float x, float y) {
    float c = clouds(x / 150.0f + 7, y / 150.0f, 23);
    float falloff = std::exp(-std::pow(std::hypot(x - 170, y - 470) / 300.0f, 2.0f));
    return withAlpha(rgb(30, 110, 170), std::max(0.0f, c - 0.4f) * 0.8f * falloff);
  });
  for (int i = 0; i < 420; ++i) {
    float x = hash(i, 1, 5) * 800, y = hash(i, 2, 5) * 600, size = hash(i, 3, 5);
    float radius = size > 0.97f ? 1.6f : size > 0.8f ? 1.0f : 0.6f;
    Colour star = mix(rgb(170, 200, 255), rgb(255, 240, 220), hash(i, 4, 5));
    fill(f, circle(x, y, radius), withAlpha(star, 0.35f + 0.65f * size), around(x, y, radius));
    if (size > 0.97f)
      glow(f, circle(x, y, radius), withAlpha(star, 0.5f), 2.5f, around(x, y, 9));
  }
  return sheet;
}

Sheet panel(const char* name, int width, int height) {
  Sheet sheet(name, width, height, {1});
  Frame f = sheet.frame(0, 0);
  const float m = 8.0f;
  Distance body = roundRect(m, m, width - m, height - m, 16);
  glow(f, body, withAlpha(k_cyan, 0.28f), 4.0f);
  fill(f, body, vertical(rgb(24, 34, 74, 0.94f), rgb(10, 14, 36, 0.95f), m, height - m));
  fill(f, outline(body, 1.6f), withAlpha(k_cyan, 0.75f));
  // The heading's underline, brightest in the middle.
  fill(f, roundRect(m + 20, 60, width - m - 20, 62, 1), [=](float x, float) {
    float t = 1.0f - std::fabs(x - width * 0.5f) / (width * 0.5f - m - 20);
    return withAlpha(k_cyan, 0.15f + 0.6f * t);
  });
  return sheet;
}

Sheet solid(const char* name, int size, float alpha) {
  Sheet sheet(name, size, size, {1});
  Frame f = sheet.frame(0, 0);
  fill(f, everywhere(), rgb(0, 0, 8, alpha));
  return sheet;
}

Sheet tickerStrip() {
  Sheet sheet("ticker_strip", 800, 36, {1});
  Frame f = sheet.frame(0, 0);
  fill(f, everywhere(), vertical(rgb(8, 14, 34, 0.92f), rgb(4, 6, 18, 0.96f), 0, 36));
  fill(f, roundRect(0, 0, 800, 1.5f, 0),
       [](float x, float) { return withAlpha(mix(k_cyan, k_magenta, x / 800.0f), 0.9f); });
  return sheet;
}

// -- Controls --

struct Look {
  Colour top, bottom, border;
  float glowAlpha;
};

Look controlLook(State state, float pulse) {
  switch (state) {
    case HOVER:
      return {rgb(44, 104, 190), rgb(22, 56, 128), rgb(140, 228, 255), 0.3f + 0.25f * pulse};
    case PRESSED:
      return {rgb(16, 40, 92), rgb(34, 84, 160), rgb(190, 240, 255), 0.45f};
    case DISABLED:
      return {rgb(46, 50, 62), rgb(30, 33, 42), rgb(84, 90, 104), 0.0f};
    default:
      return {rgb(32, 56, 118), rgb(18, 30, 72), rgb(86, 156, 232), 0.0f};
  }
}

// A rounded button body in the frame, inset by `m` so that its glow fits.
void buttonBody(Frame& f, State state, int index, int count, float radius) {
  const float m = 4.0f;
  float pulse = 0.5f + 0.5f * std::sin(2 * k_pi * index / std::max(count, 1));
  Look look = controlLook(state, pulse);
  Distance body = roundRect(m, m, f.width - m, f.height - m, radius);
  if (look.glowAlpha > 0)
    glow(f, body, withAlpha(k_cyan, look.glowAlpha), 3.0f);
  fill(f, body, vertical(look.top, look.bottom, m, f.height - m));
  if (state == HOVER) {
    // A shine that sweeps across the button while the pointer rests on it.
    float sweep = -40.0f + (f.width + 80.0f) * index / count;
    fill(f, body, [=](float x, float y) {
      float band = std::fabs(x - sweep - (f.height - y) * 0.5f);
      return withAlpha(k_white, std::max(0.0f, 1.0f - band / 14.0f) * 0.22f);
    });
  }
  if (state != PRESSED)
    fill(f, roundRect(m + radius, m + 1.5f, f.width - m - radius, m + 2.5f, 0.5f),
         withAlpha(k_white, state == DISABLED ? 0.06f : 0.2f));
  fill(f, outline(body, 1.5f), look.border);
}

void padlock(Frame& f, float cx, float cy, Colour colour) {
  fill(f, outline(circle(cx, cy - 6, 8), 3.0f),
       [=](float, float y) { return y < cy - 2 ? colour : withAlpha(colour, 0.0f); });
  fill(f, roundRect(cx - 12, cy - 4, cx + 12, cy + 14, 3), colour);
  fill(f, circle(cx, cy + 4, 2.5f), rgb(30, 33, 42));
}

Sheet buttons(const char* name, int width, int height, float radius, bool lockWhenDisabled) {
  Sheet sheet(name, width, height, {1, 8, 1, 1});
  for (int state = IDLE; state <= DISABLED; ++state) {
    for (int index = 0; index < sheet.frames(state); ++index) {
      Frame f = sheet.frame(state, index);
      buttonBody(f, static_cast<State>(state), index, sheet.frames(state), radius);
      if (state == DISABLED && lockWhenDisabled)
        padlock(f, width * 0.5f, height * 0.5f - 2, rgb(120, 126, 140));
    }
  }
  return sheet;
}

Sheet toggle(const char* name, bool on) {
  Sheet sheet(name, 64, 32, {1, 1, 1, 1});
  for (int state = IDLE; state <= DISABLED; ++state) {
    Frame f = sheet.frame(state, 0);
    Distance track = roundRect(3, 4, 61, 28, 12);
    Colour border = state == DISABLED ? rgb(84, 90, 104)
                    : state == IDLE   ? rgb(90, 110, 150)
                                      : k_cyan;
    if (state == HOVER || state == PRESSED)
      glow(f, track, withAlpha(k_cyan, 0.35f), 2.5f);
    Colour fillTop = on ? rgb(40, 190, 240) : rgb(36, 42, 62);
    Colour fillBottom = on ? rgb(20, 120, 200) : rgb(24, 28, 44);
    if (state == DISABLED)
      fillTop = fillBottom = rgb(44, 48, 58);
    fill(f, track, vertical(fillTop, fillBottom, 4, 28));
    fill(f, outline(track, 1.5f), border);
    float knobX = on ? 48.0f : 16.0f;
    float knobRadius = state == PRESSED ? 10.0f : 9.0f;
    fill(f, circle(knobX + 1, 17, knobRadius), rgb(0, 0, 0, 0.35f));
    Colour knob = state == DISABLED ? rgb(110, 114, 126) : on ? k_white : rgb(176, 184, 206);
    fill(f, circle(knobX, 16, knobRadius), vertical(knob, mix(knob, rgb(0, 0, 0), 0.2f), 7, 25));
  }
  return sheet;
}

Sheet radio() {
  Sheet sheet("radio", 28, 28, {1, 1, 1, 1});
  for (int state = IDLE; state <= DISABLED; ++state) {
    Frame f = sheet.frame(state, 0);
    Distance ring = outline(circle(14, 14, 9.5f), 2.0f);
    Colour colour = state == DISABLED ? rgb(90, 96, 110)
                    : state == IDLE   ? rgb(150, 170, 210)
                                      : k_cyan;
    if (state != IDLE && state != DISABLED)
      glow(f, circle(14, 14, 10.5f), withAlpha(k_cyan, 0.35f), 2.5f);
    fill(f, circle(14, 14, 9), rgb(10, 14, 30, 0.8f));
    fill(f, ring, colour);
    if (state == PRESSED)
      fill(f, circle(14, 14, 5), vertical(k_white, k_cyan, 9, 19));
  }
  return sheet;
}

Sheet sliderThumb() {
  Sheet sheet("slider_thumb", 20, 28, {1, 1, 1, 1});
  for (int state = IDLE; state <= DISABLED; ++state) {
    Frame f = sheet.frame(state, 0);
    Distance knob = roundRect(3, 2, 17, 26, 5);
    if (state == HOVER || state == PRESSED)
      glow(f, knob, withAlpha(k_cyan, 0.45f), 2.5f);
    Colour top = state == DISABLED  ? rgb(110, 114, 126)
                 : state == PRESSED ? rgb(150, 230, 255)
                                    : k_white;
    fill(f, knob, vertical(top, mix(top, rgb(40, 60, 110), 0.45f), 2, 26));
    fill(f, outline(knob, 1.2f), state == DISABLED ? rgb(80, 84, 96) : k_cyan);
    for (float x : {8.0f, 12.0f})
      fill(f, segment(x, 9, x, 19, 0.6f), rgb(40, 60, 100, 0.6f));
  }
  return sheet;
}

Sheet track(const char* name, int width, int height) {
  Sheet sheet(name, width, height, {1});
  Frame f = sheet.frame(0, 0);
  Distance body = roundRect(0.5f, 0.5f, width - 0.5f, height - 0.5f, height * 0.5f - 0.5f);
  fill(f, body,
       vertical(rgb(6, 8, 20, 0.9f), rgb(22, 28, 52, 0.9f), 0, static_cast<float>(height)));
  fill(f, outline(body, 1.0f), rgb(70, 96, 150, 0.9f));
  return sheet;
}

Sheet barFill(const char* name, int width, int height) {
  Sheet sheet(name, width, height, {1});
  Frame f = sheet.frame(0, 0);
  Distance body = roundRect(2, 2, width - 2.0f, height - 2.0f, height * 0.5f - 2);
  fill(f, body, [=](float x, float) { return mix(rgb(40, 200, 255), k_magenta, x / width); });
  fill(f, body,
       [=](float, float y) { return withAlpha(k_white, y < height * 0.45f ? 0.28f : 0.0f); });
  return sheet;
}

Sheet entryBox() {
  Sheet sheet("entry_box", 226, 36, {1});
  Frame f = sheet.frame(0, 0);
  Distance body = roundRect(1, 1, 225, 35, 6);
  fill(f, body, vertical(rgb(4, 6, 16, 0.95f), rgb(12, 18, 40, 0.95f), 1, 35));
  fill(f, outline(body, 1.2f), rgb(80, 140, 210));
  return sheet;
}

Sheet caret() {
  Sheet sheet("caret", 3, 24, {2});
  Frame f = sheet.frame(0, 0);
  fill(f, roundRect(0, 1, 3, 23, 1), rgb(120, 230, 255));
  return sheet;
}

// -- Pointer, icons and effects --

Sheet cursor() {
  Sheet sheet("cursor", 32, 32, {1});
  Frame f = sheet.frame(0, 0);
  std::vector<Point> arrow = {{2, 2},      {2, 22},     {7.5f, 17}, {11.5f, 26},
                              {15, 24.5f}, {11, 15.5f}, {18, 15.5f}};
  std::vector<Point> shadow;
  for (Point p : arrow)
    shadow.push_back({p.x + 2, p.y + 2});
  fill(f, polygon(shadow), rgb(0, 0, 0, 0.35f));
  fill(f, polygon(arrow), vertical(k_white, rgb(180, 220, 255), 2, 26));
  fill(f, outline(polygon(arrow), 1.4f), rgb(10, 16, 40));
  return sheet;
}

// Icons on one animation, a frame each: play, gear, grid, power, back, pause, star, lock.
Sheet icons() {
  Sheet sheet("icons", 32, 32, {8});
  Colour ink = rgb(220, 240, 255);
  std::vector<Distance> shapes;
  shapes.push_back(polygon({{10, 6}, {26, 16}, {10, 26}}));
  Distance teeth = circle(16, 16, 11);
  for (int i = 0; i < 8; ++i) {
    float a = i * k_pi / 4;
    teeth = unite(teeth, segment(16, 16, 16 + 13 * std::cos(a), 16 + 13 * std::sin(a), 2.6f));
  }
  shapes.push_back(subtract(teeth, circle(16, 16, 4.5f)));
  Distance grid = roundRect(6, 6, 14, 14, 2);
  grid = unite(grid, unite(roundRect(18, 6, 26, 14, 2), roundRect(6, 18, 14, 26, 2)));
  shapes.push_back(unite(grid, roundRect(18, 18, 26, 26, 2)));
  Distance arc = subtract(outline(circle(16, 17, 9), 3), polygon({{16, 17}, {9, 2}, {23, 2}}));
  shapes.push_back(unite(arc, segment(16, 5, 16, 15, 1.6f)));
  shapes.push_back(unite(polygon({{5, 16}, {14, 8}, {14, 24}}), roundRect(12, 13, 27, 19, 1)));
  shapes.push_back(unite(roundRect(9, 7, 14, 25, 1.5f), roundRect(18, 7, 23, 25, 1.5f)));
  std::vector<Point> star;
  for (int i = 0; i < 10; ++i) {
    float a = -k_pi / 2 + i * k_pi / 5, r = i % 2 ? 5.5f : 12.5f;
    star.push_back({16 + r * std::cos(a), 17 + r * std::sin(a)});
  }
  shapes.push_back(polygon(star));
  shapes.push_back(unite(roundRect(8, 15, 24, 27, 2.5f),
                         subtract(outline(circle(16, 14, 6), 2.6f), roundRect(0, 14, 32, 32, 0))));
  for (int i = 0; i < sheet.frames(0); ++i) {
    Frame f = sheet.frame(0, i);
    glow(f, shapes[i], withAlpha(k_cyan, 0.35f), 1.8f);
    fill(f, shapes[i], ink);
  }
  return sheet;
}

Sheet spinner() {
  Sheet sheet("spinner", 48, 48, {12});
  for (int frame = 0; frame < 12; ++frame) {
    Frame f = sheet.frame(0, frame);
    for (int dot = 0; dot < 12; ++dot) {
      float a = dot * k_pi / 6 - k_pi / 2;
      int behind = (frame - dot + 12) % 12;
      float light = std::max(0.15f, 1.0f - behind / 6.0f);
      Distance shape = circle(24 + 17 * std::cos(a), 24 + 17 * std::sin(a), 2.5f + 1.5f * light);
      fill(f, shape, withAlpha(mix(rgb(60, 90, 160), k_cyan, light), 0.4f + 0.6f * light));
    }
  }
  return sheet;
}

Sheet spark() {
  Sheet sheet("spark", 16, 16, {1});
  Frame f = sheet.frame(0, 0);
  fill(f, everywhere(), [](float x, float y) {
    float d = std::hypot(x - 8, y - 8) / 8.0f;
    return withAlpha(k_white, std::max(0.0f, 1.0f - d) * std::max(0.0f, 1.0f - d));
  });
  return sheet;
}

// -- The game's scene --

Sheet ship() {
  Sheet sheet("ship", 112, 56, {4});
  for (int frame = 0; frame < 4; ++frame) {
    Frame f = sheet.frame(0, frame);
    float flame = 16.0f + 5.0f * ((frame * 7) % 4) / 3.0f;
    Distance jet = polygon({{26, 23}, {26 - flame, 28}, {26, 33}});
    glow(f, jet, withAlpha(rgb(255, 150, 60), 0.5f), 4.0f);
    fill(f, jet, [=](float x, float) {
      return mix(rgb(255, 250, 210), rgb(255, 90, 40, 0.2f), (26 - x) / flame);
    });
    Distance wings = polygon({{40, 28}, {62, 6}, {74, 6}, {66, 28}, {74, 50}, {62, 50}});
    fill(f, wings, vertical(rgb(150, 168, 210), rgb(70, 80, 120), 6, 50));
    fill(f, outline(wings, 1.0f), rgb(30, 36, 70));
    Distance hull = polygon({{24, 20}, {70, 18}, {104, 28}, {70, 38}, {24, 36}});
    fill(f, hull, vertical(rgb(230, 236, 250), rgb(120, 132, 170), 18, 38));
    fill(f, roundRect(30, 26.5f, 84, 29.5f, 1.5f), k_magenta);
    fill(f, outline(hull, 1.0f), rgb(30, 36, 70));
    Distance cockpit = polygon({{66, 22}, {86, 25}, {92, 28}, {66, 29}});
    fill(f, cockpit, vertical(rgb(180, 245, 255), rgb(40, 140, 220), 22, 29));
  }
  return sheet;
}

Sheet asteroid() {
  Sheet sheet("asteroid", 64, 64, {12});
  for (int frame = 0; frame < 12; ++frame) {
    Frame f = sheet.frame(0, frame);
    float turn = frame * 2 * k_pi / 12;
    std::vector<Point> rock;
    for (int i = 0; i < 14; ++i) {
      float a = i * 2 * k_pi / 14 + turn;
      float r = 20.0f + 7.0f * hash(i, 0, 41);
      rock.push_back({32 + r * std::cos(a), 32 + r * std::sin(a)});
    }
    Distance body = polygon(rock);
    fill(f, body, [](float x, float y) {
      float light = std::clamp(0.55f + ((32 - x) + (32 - y)) / 70.0f, 0.15f, 1.0f);
      float grain = 0.85f + 0.15f * noise(x / 5.0f, y / 5.0f, 3);
      return mix(rgb(40, 34, 44), rgb(170, 150, 140), light * grain);
    });
    for (int i = 0; i < 4; ++i) {
      float a = turn + i * 1.7f, r = 4.0f + 9.0f * hash(i, 1, 41);
      float cx = 32 + r * std::cos(a), cy = 32 + r * std::sin(a);
      fill(f, circle(cx, cy, 2.5f + 2.0f * hash(i, 2, 41)), rgb(30, 24, 34, 0.55f));
    }
    fill(f, outline(body, 1.0f), rgb(20, 16, 26, 0.8f));
  }
  return sheet;
}

Sheet planet() {
  Sheet sheet("planet", 220, 220, {1});
  Frame f = sheet.frame(0, 0);
  const float cx = 110, cy = 110, r = 88;
  glow(f, circle(cx, cy, r), withAlpha(rgb(120, 170, 255), 0.45f), 6.0f);
  fill(f, circle(cx, cy, r), [=](float x, float y) {
    float nx = (x - cx) / r, ny = (y - cy) / r;
    float nz = std::sqrt(std::max(0.0f, 1.0f - nx * nx - ny * ny));
    float band = std::sin((ny * 1.1f + nx * 0.25f) * 9.0f + 3.0f * clouds(nx * 2 + 5, ny * 6, 7));
    Colour surface = mix(rgb(210, 120, 170), rgb(90, 70, 170), 0.5f + 0.5f * band);
    float light = std::clamp(nz * 0.55f + (-nx * 0.6f - ny * 0.55f) * 0.7f + 0.25f, 0.04f, 1.0f);
    return mix(rgb(8, 6, 20), surface, light);
  });
  fill(f, outline(circle(cx, cy, r), 1.2f), [=](float x, float y) {
    return withAlpha(rgb(200, 230, 255), std::clamp(((cx - x) + (cy - y)) / (2 * r), 0.0f, 0.8f));
  });
  return sheet;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: demoart OUTPUT_FOLDER\n");
    return 2;
  }
  std::vector<Sheet> sheets;
  sheets.push_back(backdrop());
  sheets.push_back(planet());
  sheets.push_back(panel("panel_menu", 300, 400));
  sheets.push_back(panel("panel_options", 400, 404));
  sheets.push_back(panel("panel_levels", 460, 360));
  sheets.push_back(panel("panel_pause", 320, 250));
  sheets.push_back(solid("dim", 32, 0.6f));
  sheets.push_back(solid("black", 32, 1.0f));
  sheets.push_back(tickerStrip());
  sheets.push_back(buttons("button", 240, 48, 10, false));
  sheets.push_back(buttons("button_level", 88, 88, 14, true));
  sheets.push_back(toggle("toggle_off", false));
  sheets.push_back(toggle("toggle_on", true));
  sheets.push_back(radio());
  sheets.push_back(sliderThumb());
  sheets.push_back(track("slider_track", 260, 8));
  sheets.push_back(track("bar_track", 260, 16));
  sheets.push_back(barFill("bar_fill", 260, 16));
  sheets.push_back(track("loadbar_track", 400, 20));
  sheets.push_back(barFill("loadbar_fill", 400, 20));
  sheets.push_back(entryBox());
  sheets.push_back(caret());
  sheets.push_back(cursor());
  sheets.push_back(icons());
  sheets.push_back(spinner());
  sheets.push_back(spark());
  sheets.push_back(ship());
  sheets.push_back(asteroid());
  for (const Sheet& sheet : sheets) {
    if (!sheet.write(argv[1])) {
      std::fprintf(stderr, "demoart: cannot write into %s\n", argv[1]);
      return 1;
    }
  }
  std::printf("demoart: %zu sprite sheets written to %s\n", sheets.size(), argv[1]);
  return 0;
}
