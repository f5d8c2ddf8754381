#include "support.h"

#include "uisubsystem.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <new>

namespace {

// Plain ints with constant initialisation: operator new may run before any constructor.
thread_local long long t_newCalls = 0;

std::string s_treeFolder = "trees";
std::map<int, ReferenceTree> s_trees;

}  // namespace

// The replaced global allocation functions; the other forms of the library call these.
void* operator new(std::size_t size) {
  ++t_newCalls;
  void* p = std::malloc(size ? size : 1);
  if (!p)
    throw std::bad_alloc();
  return p;
}

void operator delete(void* p) noexcept {
  std::free(p);
}

void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}

void* operator new(std::size_t size, std::align_val_t alignment) {
  ++t_newCalls;
  std::size_t align = static_cast<std::size_t>(alignment);
  // aligned_alloc wants a size that is a multiple of the alignment.
  void* p = std::aligned_alloc(align, (size + align - 1) / align * align);
  if (!p)
    throw std::bad_alloc();
  return p;
}

void operator delete(void* p, std::align_val_t) noexcept {
  std::free(p);
}

void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
  std::free(p);
}

// -- Graphics --

BenchGfx& benchGfx() {
  static BenchGfx gfx;
  return gfx;
}

int BenchGfx::createSprite(const char* file) {
  return _idOf(file);
}

const char* BenchGfx::getSpriteName(int sprite) {
  return _nameOf(sprite);
}

int BenchGfx::getSpriteWidth(int) {
  return SPRITE_WIDTH;
}

int BenchGfx::getSpriteHeight(int) {
  return SPRITE_HEIGHT;
}

int BenchGfx::getSpriteFrameCount(int, int) {
  return FRAMES_PER_ANIM;
}

void BenchGfx::blt(int, int, int, int, int, int, unsigned char) {
  ++draws;
}

void BenchGfx::blt(int, int, int, int, int, int, int, int, unsigned char) {
  ++draws;
}

void BenchGfx::blt(int, int, int, int, int, int, int, int, int, int, unsigned char) {
  ++draws;
}

void BenchGfx::bltSort(int, int, int, int, int, int, int, unsigned char) {
  ++draws;
}

void BenchGfx::print(int, int, int, unsigned int, int, int, int, unsigned char, const char*) {
  ++draws;
}

void BenchGfx::print(int, int, int, unsigned int, int, int, int, unsigned char,
                     const unsigned int*) {
  ++draws;
}

int BenchGfx::createFont(const char* file) {
  return _idOf(file);
}

const char* BenchGfx::getFontName(int font) {
  return _nameOf(font);
}

int BenchGfx::getFontHeight(int) {
  return FONT_HEIGHT;
}

void BenchGfx::getFontDimensions(int, int* widths256, int* height) {
  for (int i = 0; widths256 && i < 256; ++i)
    widths256[i] = FONT_CHAR_WIDTH;
  if (height)
    *height = FONT_HEIGHT;
}

bool BenchGfx::getCharDimensions(int, int, unsigned int, int* width, int* height) {
  if (width)
    *width = FONT_CHAR_WIDTH;
  if (height)
    *height = FONT_HEIGHT;
  return true;
}

int BenchGfx::getScreenWidth() {
  return 1920;
}

// A real backend looks its resources up by name as well; a full table makes no more.
int BenchGfx::_idOf(const char* file) {
  if (!file)
    return -1;
  for (int id = 0; id < m_nameCount; ++id) {
    if (std::strcmp(m_names[id], file) == 0)
      return id;
  }
  if (m_nameCount == MAX_NAMES)
    return -1;
  uiCopyName(m_names[m_nameCount], file, sizeof m_names[m_nameCount]);
  return m_nameCount++;
}

const char* BenchGfx::_nameOf(int id) const {
  return id >= 0 && id < m_nameCount ? m_names[id] : nullptr;
}

// -- Allocation counts --

void* CountingMemoryMgr::alloc(int tag, size_t size, const char* file, unsigned int line) {
  ++calls;
  return MemoryMgr::alloc(tag, size, file, line);
}

void CountingMemoryMgr::free(int tag, void* p) {
  ++calls;
  MemoryMgr::free(tag, p);
}

CountingMemoryMgr& countingMemory() {
  static CountingMemoryMgr memory;
  return memory;
}

long long newCallCount() {
  return t_newCalls;
}

AllocationWatch::AllocationWatch()
    : m_memoryStart(countingMemory().calls), m_newStart(newCallCount()) {}

void AllocationWatch::exclude(const AllocationWatch& part) {
  m_memoryExcluded += countingMemory().calls - part.m_memoryStart;
  m_newExcluded += newCallCount() - part.m_newStart;
}

void AllocationWatch::report(benchmark::State& state) const {
  long long memoryCalls = countingMemory().calls - m_memoryStart - m_memoryExcluded;
  long long newCalls = newCallCount() - m_newStart - m_newExcluded;
  state.counters["mem_calls"] =
      benchmark::Counter(static_cast<double>(memoryCalls), benchmark::Counter::kAvgIterations);
  state.counters["new_calls"] =
      benchmark::Counter(static_cast<double>(newCalls), benchmark::Counter::kAvgIterations);
}

// -- Reference trees --

void setTreeFolder(const std::string& folder) {
  s_treeFolder = folder;
}

std::string benchFile(const std::string& name) {
  return s_treeFolder + "/" + name;
}

std::string treeFile(int widgets) {
  return benchFile("tree_" + std::to_string(widgets) + ".ui");
}

const ReferenceTree* referenceTree(benchmark::State& state) {
  int size = static_cast<int>(state.range(0));
  auto found = s_trees.find(size);
  if (found != s_trees.end())
    return &found->second;
  uiWidget* root = g_ui->loadUI(treeFile(size).c_str());
  if (!root) {
    state.SkipWithError(("cannot load " + treeFile(size) + " (bench/run writes it)").c_str());
    return nullptr;
  }
  ReferenceTree& tree = s_trees[size];
  tree.root = root;
  tree.widgets = countWidgets(root);
  return &tree;
}

void freeReferenceTrees() {
  for (auto& entry : s_trees)
    delete entry.second.root;
  s_trees.clear();
}

void referenceSizes(benchmark::internal::Benchmark* benchmark) {
  benchmark->Arg(1000)->Arg(10000)->Arg(100000);
}

int countWidgets(const uiWidget* root) {
  int count = 1;
  for (const _WidgetList_s* node = root->getChildren(); node; node = node->next)
    count += countWidgets(node->widget);
  return count;
}

void reportPerWidget(benchmark::State& state, int widgets) {
  state.counters["widgets"] = widgets;
  // Iterations times widgets per second of run time, inverted: seconds per widget.
  state.counters["s/widget"] = benchmark::Counter(
      widgets, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
