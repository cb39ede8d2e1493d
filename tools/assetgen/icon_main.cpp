// icongen: writes the desktop icon at every installed size as <folder>/<N>x<N>/apps/<name>.png,
// the layout of the hicolor icon theme. Usage: icongen <folder> <name>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "tools/assetgen/icon.h"
#include "tools/assetgen/png_writer.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <folder> <icon name>\n", argv[0]);
    return 2;
  }
  try {
    namespace fs = std::filesystem;
    for (const int size : assetgen::kIconSizes) {
      const std::string dim = std::to_string(size) + "x" + std::to_string(size);
      const fs::path path = fs::path(argv[1]) / dim / "apps" / (std::string(argv[2]) + ".png");
      fs::create_directories(path.parent_path());
      const assetgen::Bytes png = assetgen::WritePng(assetgen::PaintIcon(size));
      std::ofstream out(path, std::ios::binary | std::ios::trunc);
      out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
      if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
    }
    std::printf("icongen: %zu icons in %s\n", assetgen::kIconSizes.size(), argv[1]);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "icongen: %s\n", e.what());
    return 1;
  }
}
