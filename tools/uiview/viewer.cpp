#include "viewer.h"

#include "uidialog.h"
#include "uisubsystem.h"
#include "uitextwidget.h"

#include "core.h"
#include "gfxsubsystem.h"

#include <algorithm>
#include <cstdio>

namespace {

const char* const FONT = "DejaVuSansMono:14";
const size_t MAX_PROBLEM_LINES = 24;  // more are summed up in one line
const int MARGIN = 8;                 // pixels from the screen's top-left corner
const int TEXT_SET = 0;
const int SHADOW_SET = 4;  // the examples' palette darkens this set for shadows

bool isViewerKey(int key) {
  return key == Viewer::KEY_STATISTICS || key == Viewer::KEY_NEXT_DIALOG ||
         key == Viewer::KEY_RELOAD;
}

bool isPointerEvent(e_uiEvent event) {
  return event == UIE_MOUSEMOVE || event == UIE_MOUSEDOWN || event == UIE_MOUSEUP;
}

void addDialogs(uiWidget* widget, std::vector<uiDialog*>* dialogs) {
  if (widget->isType("uiDialog"))
    dialogs->push_back(static_cast<uiDialog*>(widget));
  // Child lists run from the newest child to the oldest.
  std::vector<uiWidget*> children;
  for (_WidgetList_s* node = widget->getChildren(); node; node = node->next)
    children.push_back(node->widget);
  for (auto child = children.rbegin(); child != children.rend(); ++child)
    addDialogs(*child, dialogs);
}

std::vector<unsigned int> wideText(const std::string& line) {
  std::vector<unsigned int> text(line.size() + 1);
  utf8ToText(text.data(), line.c_str(), static_cast<int>(line.size()));
  text.back() = 0;
  return text;
}

}  // namespace

std::vector<uiDialog*> findDialogs(uiWidget* root) {
  std::vector<uiDialog*> dialogs;
  if (root)
    addDialogs(root, &dialogs);
  return dialogs;
}

Viewer::Viewer(std::string file, std::vector<std::string> dialogs)
    : m_live(std::move(file), &Viewer::_swapped, this), m_dialogs(std::move(dialogs)) {}

// The manager goes before the tree it shows, and the font after both.
Viewer::~Viewer() {
  m_ui.reset();
  if (m_font != -1 && g_gfx)
    g_gfx->releaseFont(m_font);
}

bool Viewer::start() {
  m_ui = std::make_unique<uiSubsystem>();
  m_ui->initialize(nullptr);
  if (g_gfx)
    m_font = g_gfx->createFont(FONT);
  m_live.load();
  _listProblems();
  return m_live.root() != nullptr;
}

bool Viewer::frame(unsigned int ms) {
  bool reloaded = m_live.update(ms);
  if (reloaded)
    _listProblems();
  if (m_ui)
    m_ui->render(ms);
  _drawProblems();
  return reloaded;
}

void Viewer::input(e_uiEvent event, int x, int y, int key) {
  if ((event == UIE_KEYDOWN || event == UIE_KEYUP) && isViewerKey(key)) {
    if (event == UIE_KEYUP)
      return;
    if (key == KEY_STATISTICS)
      toggleStatistics();
    else if (key == KEY_NEXT_DIALOG)
      nextDialog();
    else
      reload();
    return;
  }
  if (isPointerEvent(event))
    Platform::SetCursorPos(x, y);
  if (m_ui)
    m_ui->inputEvent(event, x, y, key);
}

void Viewer::toggleStatistics() {
  m_statistics = !m_statistics;
  if (m_ui) {
    m_ui->statsFont = m_statistics ? m_font : -1;
    m_ui->showGfxStatistics = m_statistics;
  }
}

// The dialog on top leaves as the next one of the tree, in file order, comes in.
void Viewer::nextDialog() {
  std::vector<uiDialog*> dialogs = findDialogs(m_live.root());
  if (!m_ui || dialogs.empty())
    return;
  uiDialog* shown = shownDialog();
  auto at = std::find(dialogs.begin(), dialogs.end(), shown);
  uiDialog* next = at == dialogs.end() || at + 1 == dialogs.end() ? dialogs.front() : *(at + 1);
  if (shown)
    m_ui->popDialog(shown, true);
  if (next != shown)
    m_ui->pushDialog(next, true);
}

void Viewer::reload() {
  m_live.load();
  _listProblems();
}

uiDialog* Viewer::shownDialog() const {
  return m_ui ? m_ui->topDialog() : nullptr;
}

// -- Trees --

void Viewer::_swapped(uiWidget* root, void* client) {
  static_cast<Viewer*>(client)->_install(root);
}

// A fresh manager for each tree: its focus and dialog stacks may hold widgets of the old tree,
// which is deleted next.
void Viewer::_install(uiWidget* root) {
  m_ui.reset();
  m_ui = std::make_unique<uiSubsystem>();
  m_ui->initialize(nullptr);
  // A manager with a statistics font draws a blank line while the overlay is hidden.
  m_ui->statsFont = m_statistics ? m_font : -1;
  m_ui->showGfxStatistics = m_statistics;
  m_ui->setTopLevelWidget(root);
  _pushDialogs(root);
}

void Viewer::_pushDialogs(uiWidget* root) {
  if (root->isType("uiDialog"))
    m_ui->pushDialog(static_cast<uiDialog*>(root), true);
  for (const std::string& path : m_dialogs) {
    uiWidget* widget = root->getWidget(path.c_str(), 0);
    if (widget && widget->isType("uiDialog"))
      m_ui->pushDialog(static_cast<uiDialog*>(widget), true);
    else if (widget)
      std::fprintf(stderr, "uiview: %s is a %s, not a dialog\n", path.c_str(), widget->getType());
  }
}

// -- Problems --

// Made once per load, so that the frames in between only draw.
void Viewer::_listProblems() {
  m_problemLines.clear();
  const std::vector<LoadProblem>& problems = m_live.problems();
  if (problems.empty())
    return;
  char heading[160];
  std::snprintf(heading, sizeof heading, "Loading %s: %zu problem%s%s", m_live.file().c_str(),
                problems.size(), problems.size() == 1 ? "" : "s",
                m_live.lastLoadFailed() && m_live.root()
                    ? "; the last tree that loaded without problems stays"
                    : "");
  m_problemLines.push_back(wideText(heading));
  for (size_t i = 0; i < problems.size() && i < MAX_PROBLEM_LINES; ++i)
    m_problemLines.push_back(wideText(formatProblem(problems[i])));
  if (problems.size() > MAX_PROBLEM_LINES)
    m_problemLines.push_back(
        wideText("... and " + std::to_string(problems.size() - MAX_PROBLEM_LINES) + " more"));
}

void Viewer::_drawProblems() {
  if (m_problemLines.empty() || !g_gfx || m_font == -1)
    return;
  int depth = g_gfx->getMaxDepthNode();
  int lineHeight = g_gfx->getFontHeight(m_font);
  int y = MARGIN;
  for (const std::vector<unsigned int>& line : m_problemLines) {
    g_gfx->print(depth, m_font, SHADOW_SET, 0, MARGIN + 1, y + 1, -1, 255, line.data());
    g_gfx->print(depth, m_font, TEXT_SET, 0, MARGIN, y, -1, 255, line.data());
    y += lineHeight;
  }
}
