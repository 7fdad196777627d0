#pragma once
// The screen's mouse pointer, which the calendar page and the error report form turn into an
// hourglass while they work.

namespace annalex {

enum class MousePointer { Default, Hourglass };

class PointerService {
  public:
    virtual ~PointerService() = default;
    virtual void setPointer(MousePointer pointer) = 0;
};

}  // namespace annalex
