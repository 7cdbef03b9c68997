// Round surface milling (tabPage9): a sketch of a round face cleared in rings,
// a picture box with its start drawing, and a text box; the page has no
// operation of its own.
#pragma once

#include "dialog/dialog_page.h"
#include "dialog/generator_page.h"

namespace kelvora::dialog {

class SurfaceRoundPage : public DialogPage {
 public:
  SurfaceRoundPage(XYZDemoDialog& dlg, ui::TabPage& page);
  void Arrange() override { layout_.Arrange(); }

 private:
  GeneratorPage layout_;
};

}  // namespace kelvora::dialog
