// The centres of a drawing's circles as rows of the point list.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "geometry/draw_obj.h"
#include "geometry/dxf_wrapper.h"
#include "text/outcome.h"

namespace kelvora::generators {

// One row of the point table as texts, in its column order "#", "Name", "X", "Y".
struct DxfPointRow {
  std::string number;  // running number from 1
  std::string name;    // empty: circles have no name
  std::string x;       // "0.###"
  std::string y;
};

// A row per circle, in file order; radii are not used.
std::vector<DxfPointRow> DxfCircleRows(
    const std::vector<std::unique_ptr<geometry::CCircle>>& circles);

// Imports the file and returns its circle rows; a file that cannot be read, or
// is damaged (geometry::LoadDxf), gives "Load file failed!"; a circle whose
// centre is not finite gives "The drawing holds a number that is not finite".
// The numbers are read in `units`, its note added to `notes` when given.
Outcome<std::vector<DxfPointRow>> DxfCircleRowsFromFile(
    const std::string& path, geometry::DrawingUnits units = geometry::DrawingUnits::kFromDrawing,
    std::vector<std::string>* notes = nullptr);

}  // namespace kelvora::generators
