#pragma once

#include <cstddef>
#include <memory>
#include <vector>

// The owned records of one kind of the software backend (sprites, fonts, particle systems),
// numbered from 1 in the order they were added. A removed record leaves its id unused, so an id
// that a game still holds never names another record.
template <class Record>
class softSlots {
public:
  int add(std::unique_ptr<Record> record) {
    m_records.push_back(std::move(record));
    return static_cast<int>(m_records.size());
  }

  Record* get(int id) const {  // null for an unknown or removed id
    if (id < 1 || id > static_cast<int>(m_records.size()))
      return nullptr;
    return m_records[static_cast<size_t>(id) - 1].get();
  }

  void remove(int id) {
    if (get(id))
      m_records[static_cast<size_t>(id) - 1].reset();
  }

  void clear() { m_records.clear(); }

  // The id of the newest record for which matches(record) is true, or -1.
  template <class Match>
  int findLast(Match matches) const {
    for (size_t i = m_records.size(); i-- > 0;) {
      if (m_records[i] && matches(*m_records[i]))
        return static_cast<int>(i + 1);
    }
    return -1;
  }

  // The sum of size(record) over the records in use.
  template <class Size>
  size_t sum(Size size) const {
    size_t total = 0;
    for (const auto& record : m_records) {
      if (record)
        total += size(*record);
    }
    return total;
  }

private:
  std::vector<std::unique_ptr<Record>> m_records;  // index = id - 1; null once removed
};
