#pragma once

#include "loadreport.h"

#include <cstdint>
#include <string>
#include <vector>

class uiWidget;

// A widget tree loaded from a UI definition file and kept in step with the files on disk: the
// file itself, the files it includes and the scriptlets it applies. When one of them changes,
// the file is loaded again. The new tree replaces the one in place only when its load reported
// no problem; otherwise the tree in place stays and the problems are kept for the host to show.
//
//   LiveTree live("menu.ui", &installTree, &host);
//   live.load();
//   each frame: live.update(ms); then run and draw the frame
class LiveTree {
public:
  // Called with the new root just before the tree it replaces is deleted, so that the host stops
  // referring to the old one. The new tree is loaded and initialised.
  typedef void (*SwapCallback)(uiWidget* newRoot, void* client);

  static const unsigned int CHECK_INTERVAL = 500;  // milliseconds between looks at the files

  explicit LiveTree(std::string file, SwapCallback swap = nullptr, void* client = nullptr);
  ~LiveTree();  // deletes the tree
  LiveTree(const LiveTree&) = delete;
  LiveTree& operator=(const LiveTree&) = delete;

  // Loads the file now. The first load installs whatever tree comes back, problems or not;
  // later loads only a tree without problems. True when the tree was replaced.
  bool load();
  // Counts a frame's milliseconds; every CHECK_INTERVAL it looks at the files and loads again
  // when one of them changed. True when it loaded (whether the tree was replaced or not).
  bool update(unsigned int ms);
  bool filesChanged() const;  // a watched file was written, made or removed since it was read

  uiWidget* root() const { return m_root; }  // null when no load has given a tree yet
  const std::string& file() const { return m_file; }
  const std::vector<LoadProblem>& problems() const { return m_problems; }  // of the last load
  bool lastLoadFailed() const { return m_lastLoadFailed; }  // its tree was not installed
  const std::vector<std::string>& watchedFiles() const { return m_files; }

private:
  // What a file looked like on disk; a file that does not exist has exists false.
  struct Stamp {
    std::string file;
    bool exists = false;
    int64_t modified = 0;  // nanoseconds of the file clock
    uintmax_t size = 0;
  };
  static Stamp _stamp(const std::string& file);
  void _install(uiWidget* fresh);

  std::string m_file;
  SwapCallback m_swap;
  void* m_client;
  uiWidget* m_root = nullptr;  // owned
  std::vector<LoadProblem> m_problems;
  std::vector<std::string> m_files;
  std::vector<Stamp> m_stamps;
  bool m_lastLoadFailed = false;
  unsigned int m_sinceCheck = 0;  // milliseconds
};
