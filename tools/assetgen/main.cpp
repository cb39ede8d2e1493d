// assetgen: writes every game asset into a folder and, with --pack, the same files as the ZIP res.dat.
// Usage: assetgen <output folder> [--pack <res.dat>]
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>

#include "tools/assetgen/asset_set.h"
#include "tools/assetgen/zip_writer.h"

namespace {

void WriteFile(const std::filesystem::path& path, const assetgen::Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
}

// Written beside the target and renamed, so a failed run never leaves a half pack looking current.
void WritePack(const std::filesystem::path& pack, const assetgen::AssetSet& files) {
  const assetgen::Bytes zip = assetgen::WriteStoredZip(files);
  std::filesystem::path partial = pack;
  partial += ".partial";
  WriteFile(partial, zip);
  std::filesystem::rename(partial, pack);
  std::printf("assetgen: %zu files, %zu bytes in %s\n", files.size(), zip.size(), pack.string().c_str());
}

}  // namespace

int main(int argc, char** argv) {
  const bool withPack = argc == 4 && std::string(argv[2]) == "--pack";
  if (argc != 2 && !withPack) {
    std::fprintf(stderr, "usage: %s <output folder> [--pack <res.dat>]\n", argv[0]);
    return 2;
  }
  try {
    namespace fs = std::filesystem;
    const fs::path root = argv[1];
    const assetgen::AssetSet files = assetgen::GenerateAll();
    for (const auto& [name, bytes] : files) {
      const fs::path path = root / name;
      fs::create_directories(path.parent_path());
      WriteFile(path, bytes);
    }
    std::printf("assetgen: %zu files in %s\n", files.size(), root.string().c_str());
    if (withPack) WritePack(argv[3], files);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "assetgen: %s\n", e.what());
    return 1;
  }
}
