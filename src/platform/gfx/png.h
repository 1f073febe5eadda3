// Pictures: a surface written to and read from a PNG file (8-bit RGB).
#pragma once

#include <string>

#include "platform/gfx/surface.h"

namespace vcl {

// Writes Surface to Path; raises Exception when the file cannot be written.
void SaveSurfacePng(const TSurface& Surface, const std::string& Path);
// Reads a PNG file into a surface (any PNG colour type; alpha is dropped); raises Exception
// when the file is missing or not a PNG.
TSurface LoadSurfacePng(const std::string& Path);

}  // namespace vcl
