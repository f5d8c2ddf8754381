#include "livetree.h"

#include "uiwidget.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

LiveTree::LiveTree(std::string file, SwapCallback swap, void* client)
    : m_file(std::move(file)), m_swap(swap), m_client(client) {}

LiveTree::~LiveTree() {
  delete m_root;
}

bool LiveTree::load() {
  // Scriptlets are cached by the library; a changed scriptlet is only seen once it is read again.
  uiWidget::s_freeScripletCache();
  uiWidget* fresh = nullptr;
  {
    LoadReport report(m_file);
    fresh = uiWidget::loadUI(m_file.c_str(), nullptr);
    if (fresh)
      fresh->initialize();
    m_problems = report.problems();
    m_files = report.files();
  }
  m_stamps.clear();
  for (const std::string& file : m_files)
    m_stamps.push_back(_stamp(file));
  m_sinceCheck = 0;

  bool accepted = fresh && (!m_root || m_problems.empty());
  m_lastLoadFailed = !accepted;
  if (!accepted) {
    delete fresh;
    return false;
  }
  _install(fresh);
  return true;
}

bool LiveTree::update(unsigned int ms) {
  m_sinceCheck += ms;
  if (m_sinceCheck < CHECK_INTERVAL)
    return false;
  m_sinceCheck = 0;
  if (!filesChanged())
    return false;
  load();
  return true;
}

bool LiveTree::filesChanged() const {
  for (const Stamp& seen : m_stamps) {
    Stamp now = _stamp(seen.file);
    if (now.exists != seen.exists || now.modified != seen.modified || now.size != seen.size)
      return true;
  }
  return false;
}

// The size is compared too: two writes within one tick of the file clock keep the same time.
LiveTree::Stamp LiveTree::_stamp(const std::string& file) {
  Stamp stamp;
  stamp.file = file;
  std::error_code error;
  fs::file_time_type modified = fs::last_write_time(file, error);
  if (error)
    return stamp;
  uintmax_t size = fs::file_size(file, error);
  if (error)
    return stamp;
  stamp.exists = true;
  stamp.modified = std::chrono::duration_cast<std::chrono::nanoseconds>(
                       modified.time_since_epoch()).count();
  stamp.size = size;
  return stamp;
}

void LiveTree::_install(uiWidget* fresh) {
  uiWidget* previous = m_root;
  if (m_swap)
    m_swap(fresh, m_client);
  m_root = fresh;
  delete previous;
}
