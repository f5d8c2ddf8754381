#pragma once

#include "uiwidget.h"

#include "core.h"
#include "gfxsubsystem.h"

#include <benchmark/benchmark.h>

#include <string>

// What every benchmark area shares: a graphics backend that lets widgets draw, the counts of
// memory-manager and operator new calls, and the reference trees that bench/run writes.

// A graphics backend that hands out sprite and font ids with fixed sizes, so that visual widgets,
// buttons, progress bars and labels take their drawing paths, and whose drawing calls only count.
// A frame then costs what the library does per widget and nothing of a renderer.
class BenchGfx : public gfxSubsystem {
public:
  static const int SPRITE_WIDTH = 32;
  static const int SPRITE_HEIGHT = 16;
  static const int FRAMES_PER_ANIM = 4;
  static const int FONT_CHAR_WIDTH = 8;
  static const int FONT_HEIGHT = 16;

  long long draws = 0;  // blt, bltSort and print calls

  int createSprite(const char* file) override;
  const char* getSpriteName(int sprite) override;
  int getSpriteWidth(int sprite) override;
  int getSpriteHeight(int sprite) override;
  int getSpriteFrameCount(int sprite, int anim) override;
  void blt(int depth, int sprite, int x, int y, int anim, int frame, unsigned char alpha) override;
  void blt(int depth, int sprite, int x, int y, int width, int height, int anim, int frame,
           unsigned char alpha) override;
  void blt(int depth, int sprite, int x, int y, int srcX, int srcY, int width, int height, int anim,
           int frame, unsigned char alpha) override;
  void bltSort(int depth, int sortLevel, int sprite, int x, int y, int anim, int frame,
               unsigned char alpha) override;

  void print(int depth, int font, int set, unsigned int justify, int x, int y, int maxHeight,
             unsigned char alpha, const char* text) override;
  void print(int depth, int font, int set, unsigned int justify, int x, int y, int maxHeight,
             unsigned char alpha, const unsigned int* text) override;
  int createFont(const char* file) override;
  const char* getFontName(int font) override;
  int getFontHeight(int font) override;
  void getFontDimensions(int font, int* widths256, int* height) override;
  bool getCharDimensions(int font, int set, unsigned int ch, int* width, int* height) override;
  int getScreenWidth() override;

private:
  static const int MAX_NAMES = 64;

  // Sprites and fonts share one name table; an id is an index into it.
  int _idOf(const char* file);
  const char* _nameOf(int id) const;

  char m_names[MAX_NAMES][128] {};
  int m_nameCount = 0;
};

BenchGfx& benchGfx();

// A memory manager that counts its calls and then works as the default one.
class CountingMemoryMgr : public MemoryMgr {
public:
  void* alloc(int tag, size_t size, const char* file, unsigned int line) override;
  void free(int tag, void* p) override;

  long long calls = 0;  // alloc and free calls
};

CountingMemoryMgr& countingMemory();
long long newCallCount();  // global operator new calls of this thread so far

// Counts the memory-manager and operator new calls from its construction on. report() writes
// them per iteration as the counters "mem_calls" and "new_calls"; exclude() leaves out what a
// benchmark does between measured steps (a refill, a cleanup).
class AllocationWatch {
public:
  AllocationWatch();
  void exclude(const AllocationWatch& part);  // takes away the calls counted since part began
  void report(benchmark::State& state) const;

private:
  long long m_memoryStart;
  long long m_newStart;
  long long m_memoryExcluded = 0;
  long long m_newExcluded = 0;
};

// -- Reference trees --

// The folder that holds tree_N.ui, written by bench/run; set from the command line. Benchmarks
// write the other files they read there too.
void setTreeFolder(const std::string& folder);
std::string benchFile(const std::string& name);
std::string treeFile(int widgets);

// A reference tree loaded once (through g_ui->loadUI) and kept for every benchmark that
// draws or routes input through it.
struct ReferenceTree {
  uiWidget* root = nullptr;
  int widgets = 0;  // counted in the loaded tree
};

// The tree of the benchmark's size argument; null after skipping the benchmark with the reason.
const ReferenceTree* referenceTree(benchmark::State& state);
void freeReferenceTrees();

// The three sizes every tree benchmark runs at.
void referenceSizes(benchmark::internal::Benchmark* benchmark);

int countWidgets(const uiWidget* root);
// "widgets" (the tree's size) and "s/widget" (the time of one iteration per widget, in seconds).
void reportPerWidget(benchmark::State& state, int widgets);
