#pragma once

#include "core.h"

#include <functional>

// A fixed set of list nodes kept inside their owner, so that pushing and popping the UI manager's
// lists during a frame or an input event calls no allocator. When the set runs out, further nodes
// come from the memory manager (tag 9) and go back to it when they are given back.
template <class Node, int Count>
class uiNodePool {
public:
  uiNodePool() {
    for (Node& node : m_nodes) {
      node.next = m_free;
      m_free = &node;
    }
  }
  uiNodePool(const uiNodePool&) = delete;
  uiNodePool& operator=(const uiNodePool&) = delete;

  // Null when the set is used up and the memory manager has nothing left.
  Node* take(const char* file, unsigned int line) {
    Node* node = m_free;
    if (node) {
      m_free = node->next;
      return node;
    }
    return g_MemoryPtr ? static_cast<Node*>(g_MemoryPtr->alloc(9, sizeof(Node), file, line))
                       : nullptr;
  }

  void give(Node* node) {
    if (!owns(node)) {
      g_MemoryPtr->free(9, node);
      return;
    }
    node->next = m_free;
    m_free = node;
  }

private:
  bool owns(const Node* node) const {
    std::less<const Node*> before;
    return !before(node, m_nodes) && before(node, m_nodes + Count);
  }

  Node m_nodes[Count] {};
  Node* m_free = nullptr;
};
