// Saving what GL has drawn as a PNG. Window thread, with the GL context current.
#pragma once

#include <string>

// Reads the w x h pixels at (x, y) (origin bottom-left) of the buffer being drawn and writes
// them top row first as an RGB PNG. False, logged, when GL or the file fails.
bool SaveGlPixelsPng(const std::string& path, int x, int y, int w, int h);
