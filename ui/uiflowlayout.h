#pragma once

#include "uiwidget.h"

// A container without graphics that places its children in rows (horizontal flow) or columns
// (vertical flow), wrapping at a given width or height and optionally spreading each line evenly.
// It lays its children out once each time it becomes active, not every frame.
class uiFlowLayout : public uiNonVisualWidget {
public:
  enum flowType_e { HORIZONTAL = 0, VERTICAL = 1 };

  static uiWidget* s_allocator();
  const char* getType() override;
  bool isType(const char* type) override;

  // -- Setup --
  void setFlowType(flowType_e type) { flowType = type; }
  flowType_e getFlowType() const { return flowType; }

  // -- State: the children are switched first, so that they are active when they are placed --
  using uiWidget::setActive;
  void setActive(bool on, bool recursive) override;

  flowType_e flowType = HORIZONTAL;
  int wrapWidth = 0;   // pixels; a horizontal flow wraps at this row length, 0 never
  int wrapHeight = 0;  // pixels; a vertical flow wraps at this column length, 0 never
  int minSpaceX = 0;  // gap between children of a row, and between columns
  int minSpaceY = 0;  // gap between children of a column, and between rows
  bool spaceEvenly = false;  // spread each row (column) over width (height)

protected:
  void _parseParams(Parser* parser, char* key) override;
  void _activate() override;
  // Places one child at the cursor; true when it started a new row or column.
  virtual bool _layoutChild(uiWidget* child);

private:
  void _layoutEvenly(uiWidget** children, int count);

  int m_cursorX = 0;  // where the next child goes, relative to the layout
  int m_cursorY = 0;
  int m_spaceX = 0;  // gaps in use during a pass
  int m_spaceY = 0;
  int m_lineExtent = 0;  // largest cross size in the current row or column
};
