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
// The grid of holes with its inputs marked: the first hole (Xc, Yc), the hole
// distance Xm, the row distance Yn, the shift ZigZac of every second row and
// the hole it loses with "-1", the drilling order as a serpentine.
geometry::Picture GridSketch(int width, int height);
// The face-milled rectangle with its inputs marked: the start corner (Xc, Yc),
// Lx, Ly and the step-over between rows. `flipped` draws it on the -X side of
// the corner, as the "Flipped" check box makes it.
geometry::Picture SurfaceSketch(int width, int height, bool flipped);
// A round face cleared in rings from R1 out to R2, the rings one step-over apart.
geometry::Picture RoundSurfaceSketch(int width, int height);
// The circle pattern with its inputs marked: centre (Xc, Yc), diameter D, the
// number of holes n and the start angle A of the first hole.
geometry::Picture CircleSketch(int width, int height);
// The point list: numbered points visited in list order, and one pocket around a
// point with its inner radius R1, outer radius R2 and the step-over between rings.
geometry::Picture PointListSketch(int width, int height);

}  // namespace kelvora::dialog
