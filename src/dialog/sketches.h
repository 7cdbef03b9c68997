// The dialog's own drawings: the window icon, the header logo, the explanatory
// sketches of the tabs and the start drawing that preview boxes show until their
// first preview. All are pictures, so every back-end shows them.
#pragma once

#include "geometry/picture.h"

namespace kelvora::dialog {

geometry::Picture WindowIcon();
geometry::Picture HeaderLogo(int width, int height);
// A preview box before its first preview: a faint grid with axes and a note.
geometry::Picture PreviewStartDrawing(int width, int height);
// The circle pattern with its inputs marked: centre (Xc, Yc), diameter D, the
// number of holes n and the start angle A of the first hole.
geometry::Picture CircleSketch(int width, int height);

}  // namespace kelvora::dialog
