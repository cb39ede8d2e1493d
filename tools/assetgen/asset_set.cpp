// Walks the game's name tables and asks each generator for its file.
#include "tools/assetgen/asset_set.h"

#include <cstdio>

#include "core/asset_names.h"
#include "tools/assetgen/icon.h"
#include "tools/assetgen/models.h"
#include "tools/assetgen/sounds.h"
#include "tools/assetgen/tds_writer.h"
#include "tools/assetgen/tga_writer.h"
#include "tools/assetgen/ui_images.h"
#include "tools/assetgen/wav_writer.h"

namespace assetgen {

AssetSet GenerateAll() {
  AssetSet out;
  const Fonts fonts;

  for (const char* file : assets::kModels) {
    const BuiltModel m = ModelForFile(file);
    out[std::string(assets::kModelFolder) + "/" + file] = Write3ds(m.model);
    for (const auto& [name, image] : m.textures) {
      const std::string path = std::string(assets::kModelFolder) + "/" + name;
      if (!out.count(path)) out[path] = WriteTga(image);
    }
  }
  for (const char* file : assets::kSounds) {
    const std::string path = std::string(assets::kSoundFolder) + "/" + file;
    if (!out.count(path)) out[path] = WriteWav(SoundForFile(file));
  }
  for (const auto& b : assets::kButtons) {
    out[assets::ButtonFile(b, false)] = WriteTga(ButtonPicture(b, false, fonts));
    out[assets::ButtonFile(b, true)] = WriteTga(ButtonPicture(b, true, fonts));
  }
  for (const auto& s : assets::kSelectorItems) {
    const std::string folder = s.folder;
    out[folder + "/" + s.file] = WriteTga(SelectorPicture(s, false, fonts));
    if (s.highlighted) out[folder + "/" + assets::HighlightName(s.file)] = WriteTga(SelectorPicture(s, true, fonts));
  }
  for (const assets::PackFile& image : assets::kImages) {
    if (image == assets::image::kFont) continue;
    out[image.Path()] = WriteTga(ScreenPicture(image, fonts));
  }
  out[assets::kFontImage] = WriteTga(fonts.baked.AtlasImage());
  out[assets::image::kIcon.Path()] = WriteTga(PaintIcon(assets::kIconImageSize));
  out[assets::image::kSky.Path()] = WriteTga(NebulaSkyTexture());
  const std::string metrics = fonts.baked.Metrics();
  out[assets::kFontMetrics] = Bytes(metrics.begin(), metrics.end());

  const std::string manifest = ManifestText(out);
  out[assets::kManifest] = Bytes(manifest.begin(), manifest.end());
  return out;
}

std::string ManifestText(const AssetSet& files) {
  std::string text;
  char crc[16];
  for (const auto& [name, bytes] : files) {
    if (name == assets::kManifest) continue;
    std::snprintf(crc, sizeof crc, "%08x", Crc32(bytes));
    text += name + " " + std::to_string(bytes.size()) + " " + crc + "\n";
  }
  return text;
}

}  // namespace assetgen
