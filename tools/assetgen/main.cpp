// assetgen: writes every game asset into a folder and a sorted list of the files for packing.
// Usage: assetgen <output folder> <file list>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>

#include "tools/assetgen/asset_set.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <output folder> <file list>\n", argv[0]);
    return 2;
  }
  try {
    namespace fs = std::filesystem;
    const fs::path root = argv[1];
    const assetgen::AssetSet files = assetgen::GenerateAll();
    std::ofstream list(argv[2], std::ios::binary | std::ios::trunc);
    if (!list) throw std::runtime_error(std::string("cannot write the file list ") + argv[2]);
    for (const auto& [name, bytes] : files) {
      const fs::path path = root / name;
      fs::create_directories(path.parent_path());
      std::ofstream out(path, std::ios::binary | std::ios::trunc);
      out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
      if (!out) throw std::runtime_error("cannot write " + path.string());
      list << name << "\n";
    }
    if (!list.flush()) throw std::runtime_error(std::string("cannot write the file list ") + argv[2]);
    std::printf("assetgen: %zu files in %s\n", files.size(), root.string().c_str());
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "assetgen: %s\n", e.what());
    return 1;
  }
}
