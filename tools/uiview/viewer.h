#pragma once

#include "livetree.h"

#include "uiwidget.h"

#include <memory>
#include <string>
#include <vector>

class uiDialog;
class uiSubsystem;

// Shows a UI definition file as the top-level tree of a UI manager and keeps it in step with the
// files on disk (see LiveTree). It runs frames through whatever backend g_gfx points at; the
// window and the headless renderer only give it time and input.
//
// The dialogs a file holds start hidden, so the viewer pushes some: the root when it is a
// dialog, and the dialogs named with their dotted paths. Keys of its own, which the UI does not
// see: F1 shows and hides the statistics overlay, F2 brings the next dialog of the tree on
// screen, F5 loads the file again at once. While the file has problems they are listed on
// screen, over the last tree that loaded without them.
class Viewer {
public:
  static const int KEY_STATISTICS = 163;  // F1, as the library's hotkeys number it
  static const int KEY_NEXT_DIALOG = 164;  // F2
  static const int KEY_RELOAD = 167;       // F5

  // The file and the dialog paths are read relative to the working directory.
  Viewer(std::string file, std::vector<std::string> dialogs);
  ~Viewer();  // the UI manager and the tree go; g_ui is null again
  Viewer(const Viewer&) = delete;
  Viewer& operator=(const Viewer&) = delete;

  // Makes the UI manager (which must not exist yet) and loads the file. False when no tree came
  // back; the viewer still runs and shows why.
  bool start();
  // One frame of `ms` milliseconds: a look at the files every half second, the UI's frame, the
  // problem list. Between beginFrame and endFrame of the backend. True when the file was loaded
  // again (whether its tree was installed or not).
  bool frame(unsigned int ms);
  // An input event for the UI, or one of the viewer's keys. The pointer's events also move the
  // platform's cursor, which a custom cursor widget follows.
  void input(e_uiEvent event, int x, int y, int key);

  void toggleStatistics();
  void nextDialog();
  void reload();

  const LiveTree& live() const { return m_live; }
  uiDialog* shownDialog() const;  // the dialog on top of the stack, or null

private:
  static void _swapped(uiWidget* root, void* client);
  void _install(uiWidget* root);
  void _pushDialogs(uiWidget* root);
  void _listProblems();
  void _drawProblems();

  LiveTree m_live;
  std::vector<std::string> m_dialogs;
  std::unique_ptr<uiSubsystem> m_ui;  // made again for each new tree
  int m_font = -1;                    // for the problem list and the statistics
  bool m_statistics = false;
  std::vector<std::vector<unsigned int>> m_problemLines;  // as drawn: 32-bit text, NUL ended
};

// The dialogs of a tree in the order of the file: each parent before its children.
std::vector<uiDialog*> findDialogs(uiWidget* root);
