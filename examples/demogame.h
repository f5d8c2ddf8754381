#pragma once

#include "uibackgroundloader.h"
#include "uiwidget.h"

#include "softsound.h"

#include <atomic>
#include <string>
#include <vector>

class uiAnimWidget;
class uiDialog;
class uiDigitalBanner;
class uiEntryWidget;
class uiGameContainer;
class uiProgressBar;
class uiRadioGroup;
class uiSliderButton;
class uiTextWidget;
class uiToggleButton;

// The game behind the demo's front end, "Neon Drift": it shows a loading screen while the
// background loader builds the menus, wires the menus' callbacks, moves between the dialogs,
// flies a ship in the game container, and keeps a transcript of everything it hears from the
// library (clicks, keys, dialog changes, sounds). It needs g_ui, and reads the UI files from
// the working directory.
class demoGame {
public:
  // Sounds play on `sound` while sound effects are on (the game points g_snd3d at it), and are
  // heard when they are flushed.
  explicit demoGame(softSound& sound);
  ~demoGame();
  demoGame(const demoGame&) = delete;
  demoGame& operator=(const demoGame&) = delete;

  // Shows the loading screen and has the front end built on the loader's thread. False when a
  // file cannot be loaded; the log says why.
  bool start();

  // One frame, in this order: beginFrame, the frame's input, update, the UI's render, endFrame.
  void beginFrame(unsigned int frame);  // stamps what is heard from here on
  void update();                        // the game's own work for the frame
  void endFrame();                      // notes the dialog changes the frame made

  // A line of the transcript: the frame, what kind of thing was heard, and what.
  void heard(const char* kind, const char* format, ...) __attribute__((format(printf, 3, 4)));
  const std::vector<std::string>& transcript() const { return m_transcript; }
  void setEcho(bool echo) { m_echo = echo; }  // also print each line as it is heard

private:
  using Action = void (demoGame::*)(uiWidget* widget);
  struct Binding {
    uiWidget* widget;
    Action action;
  };
  struct WatchedDialog {
    uiDialog* dialog;
    int state;
  };
  enum Phase { LOADING, MENUS, FLYING };

  bool _buildFrontEnd();
  bool _findWidgets();
  void _wireCallbacks();
  void _bind(const char* path, Action action);
  void _lockSector(int sector);
  void _keepButtonsLit(uiWidget* widget);
  void _showFrontEnd();
  void _fly();
  void _followVolume();

  // What the menus do.
  void _play(uiWidget* widget);
  void _openOptions(uiWidget* widget);
  void _quit(uiWidget* widget);
  void _closeOptions(uiWidget* widget);
  void _switchSound(uiWidget* widget);
  void _chooseDifficulty(uiWidget* widget);
  void _setVolume(uiWidget* widget);
  void _pickSector(uiWidget* widget);
  void _backToMenu(uiWidget* widget);
  void _resume(uiWidget* widget);
  void _leaveFlight(uiWidget* widget);
  void _nameEntered();
  void _pause();
  void _toggleStatistics();
  void _startFlight();
  void _endFlight();

  // Callbacks handed to the library; the client is the game.
  static bool s_released(uiWidget* widget, void* client, int x, int y);
  static bool s_nameKey(uiWidget* widget, void* client, int key);
  static bool s_gameKey(uiWidget* widget, void* client, int key);
  static void s_dialogHidden(uiWidget* dialog, void* client);
  static void s_progress(uiWidget* widget, void* client, e_uiProgressEvent event);
  static void s_soundPlayed(void* client, const softSound::Played& sound);

  std::string _pilotName() const;
  void _flushSounds();

  softSound& m_sound;
  uiBackgroundLoader m_loader {20};
  std::atomic<int> m_widgetsBuilt {0};  // counted on the loader's thread
  uiWidget* m_boot = nullptr;           // owned: the loading screen's tree
  uiWidget* m_frontEnd = nullptr;       // owned: every menu and the game's container
  Phase m_phase = LOADING;

  uiDialog* m_loading = nullptr;
  uiProgressBar* m_loadingBar = nullptr;
  uiTextWidget* m_loadingCount = nullptr;
  uiDialog* m_mainMenu = nullptr;
  uiDialog* m_options = nullptr;
  uiDialog* m_levels = nullptr;
  uiDialog* m_pauseMenu = nullptr;
  uiGameContainer* m_game = nullptr;
  uiWidget* m_decor = nullptr;
  uiWidget* m_pointer = nullptr;
  uiAnimWidget* m_curtain = nullptr;
  uiDigitalBanner* m_ticker = nullptr;
  uiEntryWidget* m_name = nullptr;
  uiToggleButton* m_soundToggle = nullptr;
  uiRadioGroup* m_difficulty = nullptr;
  uiSliderButton* m_volume = nullptr;
  uiProgressBar* m_meter = nullptr;
  uiTextWidget* m_percent = nullptr;
  uiTextWidget* m_menuPilot = nullptr;
  uiTextWidget* m_scoreText = nullptr;
  uiTextWidget* m_hudPilot = nullptr;
  uiTextWidget* m_hudSector = nullptr;
  uiWidget* m_ship = nullptr;
  uiWidget* m_exhaust = nullptr;
  uiWidget* m_rocks[3] = {};

  std::vector<Binding> m_bindings;
  std::vector<WatchedDialog> m_dialogs;
  std::vector<std::string> m_transcript;
  unsigned int m_frame = 0;
  unsigned int m_flightFrames = 0;
  int m_score = 0;
  int m_sector = 0;        // the sector chosen in the level select; 0 while none is
  bool m_leaving = false;  // the pause menu closes to go back to the main menu
  bool m_statistics = false;
  bool m_statisticsFont = false;
  bool m_echo = false;
  bool m_flushing = false;
  int m_lastVolume = -1;
};
