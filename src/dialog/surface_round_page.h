// Round surface milling (tabPage9): a sketch of a round face cleared in rings,
// a picture box with its start drawing, and a text box; the page has no
// operation of its own.
#pragma once

#include "dialog/program_page.h"

namespace kelvora::dialog {

class SurfaceRoundPage : public ProgramPage {
 public:
  SurfaceRoundPage(XYZDemoDialog& dlg, ui::TabPage& page);
};

}  // namespace kelvora::dialog
