#include "demogame.h"

#include "uianimwidget.h"
#include "uibutton.h"
#include "uidialog.h"
#include "uidigitalbanner.h"
#include "uientrywidget.h"
#include "uigamecontainer.h"
#include "uiprogressbar.h"
#include "uiradiogroup.h"
#include "uisliderbutton.h"
#include "uisubsystem.h"
#include "uitextwidget.h"
#include "uitogglebutton.h"

#include "snd3dsubsystem.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <type_traits>

namespace {

const char* const k_stateNames[] = {"hidden", "idle", "entering", "exiting"};
const char* const k_difficulties[] = {"EASY", "NORMAL", "HARD"};
const int k_openSectors = 3;  // sectors 4 to 8 are locked
const int k_sectors = 8;
const int k_escape = 27;
const int k_f1 = 163;

// Ticker priorities: a smaller value plays sooner.
const unsigned int k_farewellNews = 1;
const unsigned int k_flightNews = 2;
const unsigned int k_pilotNews = 3;
const unsigned int k_welcomeNews = 5;
const unsigned int k_dailyNews = 6;

const char* difficultyName(int value) {
  return value >= 0 && value < 3 ? k_difficulties[value] : "NONE";
}

std::string pathOf(uiWidget* widget) {
  std::string path = widget->name;
  for (uiWidget* up = widget->getParent(); up && up->getParent(); up = up->getParent())
    path = std::string(up->name) + "." + path;
  return path;
}

// The widget at the path when it is of the type; null otherwise.
template <typename T>
T* find(uiWidget* root, const char* path, const char* type) {
  uiWidget* widget = root->getWidget(path, 0);
  return widget && widget->isType(type) ? static_cast<T*>(widget) : nullptr;
}

}  // namespace

demoGame::demoGame(softSound& sound) : m_sound(sound) {
  m_sound.setListener(s_soundPlayed, this);
  g_snd3d = &m_sound;
}

// The dialogs leave the stack (without their hide callbacks) before their trees are deleted.
demoGame::~demoGame() {
  m_sound.setListener(nullptr, nullptr);
  if (g_snd3d == &m_sound)
    g_snd3d = nullptr;
  for (const WatchedDialog& watched : m_dialogs)
    watched.dialog->dlgHideCb(nullptr, nullptr);
  if (g_ui) {
    g_ui->setCustomCursor(nullptr);
    g_ui->setTopLevelWidget(nullptr);
    g_ui->clearPendingDialogs();
    g_ui->clearDialogStack(false);
    g_ui->update(0);
  }
  delete m_frontEnd;
  delete m_boot;
}

// -- Start --

bool demoGame::start() {
  m_boot = g_ui->loadUI("loading.ui");
  if (!m_boot)
    return false;
  m_loading = find<uiDialog>(m_boot, "boot.loading", "uiDialog");
  m_loadingBar = find<uiProgressBar>(m_boot, "boot.loading.bar", "uiProgressBar");
  m_loadingCount = find<uiTextWidget>(m_boot, "boot.loading.count", "uiTextWidget");
  if (!m_loading || !m_loadingBar || !m_loadingCount)
    return false;
  g_ui->setTopLevelWidget(m_boot);
  g_ui->pushDialog(m_loading, false);
  m_dialogs.push_back({m_loading, uiDialog::STATE_HIDDEN});
  return _buildFrontEnd() && _findWidgets();
}

// The worker thread reports each widget it finishes; the bar counts them. Frames are made
// faster than real time, so the game collects the tree before the first frame: every run then
// draws the same frames, and the bar glides from nothing to the count the worker reached.
bool demoGame::_buildFrontEnd() {
  uiWidget::registerProgCb(s_progress, this);
  m_loader.loadWidget("frontend.ui");
  heard("loader", "frontend.ui requested from the background loader");
  m_frontEnd = m_loader.getWidget(nullptr);
  uiWidget::registerProgCb(nullptr, nullptr);
  if (!m_frontEnd)
    return false;
  m_loadingBar->setRange(0, m_widgetsBuilt);
  heard("loader", "front end built on the loader's thread: %d widgets", m_widgetsBuilt.load());
  return true;
}

// Every widget the game drives, checked for its type, so that a file that changed under the
// game stops it at the start instead of in the middle of a frame.
bool demoGame::_findWidgets() {
  bool found = true;
  auto locate = [&](auto& widget, const char* path, const char* type) {
    uiWidget* candidate = m_frontEnd->getWidget(path, 0);
    if (candidate && !candidate->isType(type)) {
      std::fprintf(stderr, "demo: %s is a %s, not a %s\n", path, candidate->getType(), type);
      candidate = nullptr;
    }
    widget = static_cast<std::remove_reference_t<decltype(widget)>>(candidate);
    found = found && candidate;
  };
  locate(m_mainMenu, "frontend.mainmenu", "uiDialog");
  locate(m_options, "frontend.options", "uiDialog");
  locate(m_levels, "frontend.levels", "uiDialog");
  locate(m_pauseMenu, "frontend.pause", "uiDialog");
  locate(m_game, "frontend.game", "uiGameContainer");
  locate(m_decor, "frontend.decor", "uiWidget");
  locate(m_pointer, "frontend.pointer", "uiWidget");
  locate(m_curtain, "frontend.curtain", "uiAnimWidget");
  locate(m_ticker, "frontend.ticker.news", "uiDigitalBanner");
  locate(m_name, "frontend.options.pilot.name", "uiEntryWidget");
  locate(m_soundToggle, "frontend.options.sound.toggle", "uiToggleButton");
  locate(m_difficulty, "frontend.options.difficulty.level", "uiRadioGroup");
  locate(m_volume, "frontend.options.music.volume", "uiSliderButton");
  locate(m_meter, "frontend.options.music.meter", "uiProgressBar");
  locate(m_percent, "frontend.options.music.percent", "uiTextWidget");
  locate(m_menuPilot, "frontend.mainmenu.panel.pilot", "uiTextWidget");
  locate(m_scoreText, "frontend.game.hud.score", "uiTextWidget");
  locate(m_hudPilot, "frontend.game.hud.pilot", "uiTextWidget");
  locate(m_hudSector, "frontend.game.hud.sector", "uiTextWidget");
  locate(m_ship, "frontend.game.ship", "uiWidget");
  locate(m_exhaust, "frontend.game.exhaust", "uiWidget");
  locate(m_rocks[0], "frontend.game.rock1", "uiWidget");
  locate(m_rocks[1], "frontend.game.rock2", "uiWidget");
  locate(m_rocks[2], "frontend.game.rock3", "uiWidget");
  if (found)
    _wireCallbacks();
  return found;
}

void demoGame::_wireCallbacks() {
  _bind("frontend.mainmenu.panel.play", &demoGame::_play);
  _bind("frontend.mainmenu.panel.options", &demoGame::_openOptions);
  _bind("frontend.mainmenu.panel.quit", &demoGame::_quit);
  _bind("frontend.options.optback", &demoGame::_closeOptions);
  _bind("frontend.options.sound.toggle", &demoGame::_switchSound);
  _bind("frontend.options.difficulty.level.easy", &demoGame::_chooseDifficulty);
  _bind("frontend.options.difficulty.level.normal", &demoGame::_chooseDifficulty);
  _bind("frontend.options.difficulty.level.hard", &demoGame::_chooseDifficulty);
  _bind("frontend.options.music.volume", &demoGame::_setVolume);
  _bind("frontend.levels.lvlback", &demoGame::_backToMenu);
  _bind("frontend.pause.panel.resume", &demoGame::_resume);
  _bind("frontend.pause.panel.leave", &demoGame::_leaveFlight);
  for (int sector = 1; sector <= k_sectors; ++sector) {
    char path[64];
    std::snprintf(path, sizeof path, "frontend.levels.sectors.sector%d", sector);
    _bind(path, &demoGame::_pickSector);
    if (sector > k_openSectors)
      _lockSector(sector);
  }

  _WidgetMap_s keys {};
  keys.keyDownCb = s_nameKey;
  m_name->assignCallbacks(&keys, this);
  keys.keyDownCb = s_gameKey;
  if (uiWidget* controls = m_frontEnd->getWidget("frontend.game.controls", 0))
    controls->assignCallbacks(&keys, this);
  m_levels->dlgHideCb(s_dialogHidden, this);
  m_pauseMenu->dlgHideCb(s_dialogHidden, this);

  // A locked button stays disabled whatever its dialog does to the states below it.
  if (auto* extras = find<uiButton>(m_frontEnd, "frontend.mainmenu.panel.extras", "uiButton")) {
    extras->disable();
    extras->overrideInputFocus(true);
  }
  m_soundToggle->setToggle(true);
  m_volume->setValue(0.7f);
  for (uiDialog* dialog : {m_mainMenu, m_options, m_levels, m_pauseMenu}) {
    _keepButtonsLit(dialog);
    m_dialogs.push_back({dialog, dialog->getState()});
  }
}

// A dialog switches the input focus of everything below it off while it animates, and a button
// without input focus shows its disabled row. The dialog takes no input then anyway, so the
// buttons keep their focus, marked against the dialog's switching, and stay lit as they move.
void demoGame::_keepButtonsLit(uiWidget* widget) {
  for (_WidgetList_s* node = widget->getChildren(); node; node = node->next) {
    uiWidget* child = node->widget;
    if (child->isType("uiButton") && !child->getOverrideInputFocus()) {
      child->setInputFocus(true, false);
      child->overrideInputFocus(true);
    }
    _keepButtonsLit(child);
  }
}

void demoGame::_bind(const char* path, Action action) {
  uiWidget* widget = m_frontEnd->getWidget(path, 0);
  if (!widget)
    return;
  _WidgetMap_s callbacks {};
  callbacks.releaseCb = s_released;
  widget->assignCallbacks(&callbacks, this);
  m_bindings.push_back({widget, action});
}

void demoGame::_lockSector(int sector) {
  char path[64];
  std::snprintf(path, sizeof path, "frontend.levels.sectors.sector%d", sector);
  auto* tile = find<uiButton>(m_frontEnd, path, "uiButton");
  if (!tile)
    return;
  tile->disable();
  tile->overrideInputFocus(true);
  if (uiWidget* number = tile->getWidget((std::string(tile->name) + ".label").c_str(), 0)) {
    number->setVisible(false, true);
    number->overrideVisible(true);
  }
}

// -- Frames --

void demoGame::beginFrame(unsigned int frame) { m_frame = frame; }

void demoGame::update() {
  if (m_phase == LOADING) {
    float shown = m_loadingBar->displayedValue;
    int percent = m_widgetsBuilt > 0 ? static_cast<int>(shown * 100.0f / m_widgetsBuilt) : 100;
    m_loadingCount->print(0, "%d OF %d WIDGETS  %d%%", static_cast<int>(shown),
                          m_widgetsBuilt.load(), percent);
    if (m_loadingBar->isFull())
      _showFrontEnd();
    return;
  }
  if (g_ui->isDialogPushed(m_options))
    _followVolume();
  if (m_phase == FLYING && !m_game->getPaused())
    _fly();
}

void demoGame::endFrame() {
  _flushSounds();
  for (WatchedDialog& watched : m_dialogs) {
    int state = watched.dialog->getState();
    if (state != watched.state && state >= 0 && state <= 3)
      heard("dialog", "%s %s", watched.dialog->name, k_stateNames[state]);
    watched.state = state;
  }
}

// The loading screen gives way to the front end, which a black curtain lifts off.
void demoGame::_showFrontEnd() {
  m_phase = MENUS;
  g_ui->popDialog(m_loading, false);
  g_ui->setTopLevelWidget(m_frontEnd);
  g_ui->setCustomCursor(m_pointer);
  g_ui->pushDialog(m_mainMenu, true);
  m_curtain->enter();
  m_ticker->print(k_welcomeNews, "^P|LEFT;0;900|WELCOME TO NEON DRIFT;2200|UP;0;400|^p");
  m_ticker->print(k_dailyNews,
                  "^P|FLASH;3;0;900|NEW:;-1|OFF;0;300|^p"
                  "^P|RIGHT;300;700| DAILY RUN IN SECTOR 3;-1|LEFT;0;600|^p");
  heard("game", "front end shown");
}

// The slider moves at the frame's update, so the game reads it once per frame.
void demoGame::_followVolume() {
  int volume = static_cast<int>(std::lround(m_volume->getValue() * 100.0f));
  if (volume == m_lastVolume)
    return;
  m_lastVolume = volume;
  m_meter->setValue(volume, false);
  m_percent->print(0, "%d%%", volume);
}

void demoGame::_fly() {
  ++m_flightFrames;
  m_score += 10 + 5 * std::max(m_difficulty->getValue(), 0);
  m_scoreText->print(0, "SCORE %06d", m_score);
  float t = m_flightFrames * 0.05f;
  int shipY = 250 + static_cast<int>(std::lround(std::sin(t) * 40.0f));
  int shipX = 120 + static_cast<int>(std::lround(std::sin(t * 0.5f) * 30.0f));
  m_ship->x2 += shipX - m_ship->x;
  m_ship->y2 += shipY - m_ship->y;
  m_ship->x = shipX;
  m_ship->y = shipY;
  m_exhaust->x = shipX + 22;
  m_exhaust->y = shipY + 28;
  const int speeds[] = {3, 2, 4};
  for (int i = 0; i < 3; ++i) {
    uiWidget* rock = m_rocks[i];
    int width = rock->getWidth();
    rock->x -= speeds[i];
    if (rock->x < -width)
      rock->x = 800;
    rock->x2 = rock->x + width;
  }
}

// -- What the menus do --

void demoGame::_play(uiWidget*) {
  g_ui->popDialog(m_mainMenu, true);
  g_ui->pushDialog(m_levels, true);
}

void demoGame::_openOptions(uiWidget*) {
  if (g_ui->isDialogPushed(m_options))
    return;
  // An accepted name takes typing again, starting from the name it holds.
  if (m_name->isAccepted()) {
    std::string name = _pilotName();
    m_name->reset();
    m_name->print(0, "%s", name.c_str());
  }
  g_ui->pushDialog(m_options, true);
}

void demoGame::_quit(uiWidget*) {
  heard("game", "quit chosen: the game would close now");
  m_ticker->print(k_farewellNews, "^P|ON;0;300|SEE YOU SOON, %s;3000|OFF;0;400|^p",
                  _pilotName().c_str());
}

void demoGame::_closeOptions(uiWidget*) {
  g_ui->popDialog(m_options, true);
  heard("game", "options: pilot %s, sound %s, %s, music %d%%", _pilotName().c_str(),
        m_soundToggle->getToggle() ? "on" : "off", difficultyName(m_difficulty->getValue()),
        m_lastVolume);
}

// Called before the toggle flips: it flips because this returns true.
void demoGame::_switchSound(uiWidget*) {
  bool on = !m_soundToggle->getToggle();
  g_snd3d = on ? &m_sound : nullptr;
  heard("game", "sound effects %s", on ? "on" : "off");
}

void demoGame::_chooseDifficulty(uiWidget*) {
  heard("game", "difficulty %s", difficultyName(m_difficulty->getValue()));
}

void demoGame::_setVolume(uiWidget*) {
  heard("game", "music volume %d%%",
        static_cast<int>(std::lround(m_volume->getValue() * 100.0f)));
}

void demoGame::_nameEntered() {
  std::string name = _pilotName();
  heard("game", "pilot name %s", name.c_str());
  m_menuPilot->print(0, "PILOT: %s", name.c_str());
  m_hudPilot->print(0, "PILOT %s", name.c_str());
  m_ticker->print(k_pilotNews, "^P|DOWN;0;400|GOOD TO HAVE YOU ABOARD, %s;1800|UP;0;400|^p",
                  name.c_str());
}

void demoGame::_pickSector(uiWidget* widget) {
  m_sector = std::atoi(widget->name + 6);
  heard("game", "sector %d chosen", m_sector);
  g_ui->popDialog(m_levels, true);
}

void demoGame::_backToMenu(uiWidget*) {
  m_sector = 0;
  g_ui->popDialog(m_levels, true);
  g_ui->pushDialog(m_mainMenu, true);
}

void demoGame::_pause() {
  if (m_phase != FLYING || m_game->getPaused())
    return;
  m_game->setPaused(true);
  g_ui->pushDialog(m_pauseMenu, true);
  heard("game", "paused at score %d", m_score);
}

void demoGame::_resume(uiWidget*) {
  m_game->setPaused(false);
  g_ui->popDialog(m_pauseMenu, true);
  heard("game", "resumed");
}

void demoGame::_leaveFlight(uiWidget*) {
  m_leaving = true;
  g_ui->popDialog(m_pauseMenu, true);
}

void demoGame::_toggleStatistics() {
  m_statistics = !m_statistics;
  g_ui->gfxStatistics(m_statistics, m_statisticsFont ? nullptr : "DejaVuSansMono-Bold:14");
  m_statisticsFont = true;
  heard("game", "statistics %s", m_statistics ? "shown" : "hidden");
}

// The level select has left the screen: the flight begins. The menus' focus entries are of no
// more use, so the game empties the focus stack and its keys reach the game's controls.
void demoGame::_startFlight() {
  m_phase = FLYING;
  m_score = 0;
  m_flightFrames = 0;
  m_decor->setWidgetStates(false, false, false, true);
  m_game->setWidgetStates(true, true, true, true);
  m_hudSector->print(0, "SECTOR %d", m_sector);
  while (g_ui->focusStack)
    g_ui->popInputFocusWidget();
  m_ticker->print(k_flightNews,
                  "^P|FLASH;4;0;1000|SECTOR %d;1400|OFF;0;300|^p"
                  "^P|LEFT;400;600| CLEAR THE ROCKS!;1000|LEFT;0;500|^p",
                  m_sector);
  heard("game", "flight in sector %d begins", m_sector);
}

void demoGame::_endFlight() {
  m_phase = MENUS;
  m_leaving = false;
  m_game->setPaused(false);
  m_game->setWidgetStates(false, false, false, true);
  m_decor->setWidgetStates(true, true, false, true);
  g_ui->pushDialog(m_mainMenu, true);
  heard("game", "flight over with score %d", m_score);
}

// -- Callbacks --

bool demoGame::s_released(uiWidget* widget, void* client, int, int) {
  auto* game = static_cast<demoGame*>(client);
  game->heard("release", "%s", pathOf(widget).c_str());
  for (const Binding& binding : game->m_bindings) {
    if (binding.widget == widget)
      (game->*binding.action)(widget);
  }
  return true;
}

bool demoGame::s_nameKey(uiWidget*, void* client, int key) {
  if (key != 13 && key != 154)
    return false;
  static_cast<demoGame*>(client)->_nameEntered();
  return true;
}

bool demoGame::s_gameKey(uiWidget*, void* client, int key) {
  auto* game = static_cast<demoGame*>(client);
  if (key == k_escape) {
    game->heard("key", "ESCAPE in flight");
    game->_pause();
    return true;
  }
  if (key == k_f1) {
    game->_toggleStatistics();
    return true;
  }
  return false;
}

void demoGame::s_dialogHidden(uiWidget* dialog, void* client) {
  auto* game = static_cast<demoGame*>(client);
  if (dialog == game->m_levels && game->m_sector != 0)
    game->_startFlight();
  if (dialog == game->m_pauseMenu && game->m_leaving)
    game->_endFlight();
}

// Runs on the loader's thread: each finished widget steps the bar, under the bar's own lock.
void demoGame::s_progress(uiWidget* widget, void* client, e_uiProgressEvent event) {
  auto* game = static_cast<demoGame*>(client);
  if (widget && event == UIPROG_DONE) {
    ++game->m_widgetsBuilt;
    game->m_loadingBar->step();
  }
}

void demoGame::s_soundPlayed(void* client, const softSound::Played& sound) {
  auto* game = static_cast<demoGame*>(client);
  if (sound.pan == 0.0f && sound.frequencyScale == 1.0f)
    game->heard("sound", "%s", sound.name);
  else
    game->heard("sound", "%s (pan %.2f, frequency %.2f)", sound.name, sound.pan,
                sound.frequencyScale);
}

// -- Transcript --

void demoGame::heard(const char* kind, const char* format, ...) {
  // Sounds played before this line are heard first, in the order things happened.
  _flushSounds();
  char text[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  char line[300];
  std::snprintf(line, sizeof line, "%05u  %-7s %s", m_frame, kind, text);
  m_transcript.push_back(line);
  if (m_echo)
    std::printf("%s\n", line);
}

void demoGame::_flushSounds() {
  if (m_flushing)
    return;
  m_flushing = true;
  m_sound.flush();
  m_flushing = false;
}

std::string demoGame::_pilotName() const {
  std::string name;
  for (const unsigned int* c = m_name->getText(); *c != 0; ++c)
    name += *c < 128 ? static_cast<char>(*c) : '?';
  return name.empty() ? "ROOKIE" : name;
}
