#pragma once
// A picture of the calendar page drawn from its models into any device context: what a
// container shows of the control while it is not active in place, or prints.
//
// The page fills bounds: the frames with their captions, the labels, the boxes and lists with
// the texts and choices the models hold, the tick boxes and option buttons as ticked, and the
// buttons, each at its place on the page scaled to bounds, in its font at that scale.

#include <windows.h>

#include "control/calendar_page.hpp"

namespace annalex::platform {

void drawPage(HDC dc, const RECT& bounds, const control::CalendarPage& page);

}  // namespace annalex::platform
