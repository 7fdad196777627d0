#pragma once
// The screen picture through Qt: the whole primary screen at its size in device pixels, taken
// as 32-bit true colour (so a saved bitmap carries no palette). The picture keeps the captured
// image alive; its pixels are not copied again.

#include "report/report_services.hpp"

namespace annalex::ui {

class QtScreenCapture final : public report::ScreenCapture {
  public:
    report::Picture captureScreen() override;
};

}  // namespace annalex::ui
