// Writes the generated seeds of the fuzz targets: TGA and WAV files of every kind the decoders
// take (our assets only use one kind each) and packs in the pack target's input layout, built
// from asset files named on the command line. Run by scripts/fuzz; one thread.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "platform/crc32.h"
#include "tools/assetgen/byte_io.h"
#include "tools/assetgen/zip_writer.h"

namespace {

using assetgen::Bytes;
using assetgen::PutText;
using assetgen::PutU16;
using assetgen::PutU32;
using assetgen::PutU8;

constexpr int kSeedWidth = 7, kSeedHeight = 5;  // odd sizes, so row and run ends are exercised
constexpr uint8_t kRleRepeat = 0x80;

bool Save(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) std::fprintf(stderr, "make_seeds: cannot write %s\n", path.c_str());
    return static_cast<bool>(out);
}

bool Load(const std::string& path, Bytes& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

// ---- TGA ----------------------------------------------------------------------------------------

// One stored pixel of the seed picture: a gradient with a flat band, so RLE has runs to find.
void PutPixel(Bytes& b, int x, int y, int bytesPerPixel) {
    const uint8_t v = y == 2 ? 200 : static_cast<uint8_t>(x * 30 + y * 7);
    if (bytesPerPixel == 1) return PutU8(b, v);
    PutU8(b, v);                             // blue
    PutU8(b, static_cast<uint8_t>(255 - v));  // green
    PutU8(b, static_cast<uint8_t>(x * y));    // red
    if (bytesPerPixel == 4) PutU8(b, static_cast<uint8_t>(128 + x));
}

Bytes Tga(uint8_t type, uint8_t bits, uint8_t descriptor, bool withIdAndMap) {
    const bool rle = type >= 9;
    const int bytesPerPixel = bits / 8;
    Bytes b;
    PutU8(b, withIdAndMap ? 3 : 0);
    PutU8(b, withIdAndMap ? 1 : 0);
    PutU8(b, type);
    PutU16(b, 0);
    PutU16(b, withIdAndMap ? 2 : 0);  // colour map entries (unused by true colour, still skipped)
    PutU8(b, withIdAndMap ? 24 : 0);
    PutU16(b, 0);
    PutU16(b, 0);
    PutU16(b, kSeedWidth);
    PutU16(b, kSeedHeight);
    PutU8(b, bits);
    PutU8(b, descriptor);
    if (withIdAndMap) PutText(b, "id!" "\x01\x02\x03\x04\x05\x06");
    for (int y = 0; y < kSeedHeight; ++y) {
        if (!rle) {
            for (int x = 0; x < kSeedWidth; ++x) PutPixel(b, x, y, bytesPerPixel);
        } else if (y == 2) {  // the flat band as one repeat packet
            PutU8(b, static_cast<uint8_t>(kRleRepeat | (kSeedWidth - 1)));
            PutPixel(b, 0, y, bytesPerPixel);
        } else {  // the other rows as raw packets
            PutU8(b, static_cast<uint8_t>(kSeedWidth - 1));
            for (int x = 0; x < kSeedWidth; ++x) PutPixel(b, x, y, bytesPerPixel);
        }
    }
    return b;
}

void WriteTgaSeeds(const std::string& dir) {
    Save(dir + "/gen_true24.tga", Tga(2, 24, 0x00, false));
    Save(dir + "/gen_true32_top_right.tga", Tga(2, 32, 0x38, false));
    Save(dir + "/gen_grey_id_map.tga", Tga(3, 8, 0x20, true));
    Save(dir + "/gen_rle32.tga", Tga(10, 32, 0x08, false));
    Save(dir + "/gen_rle24_id_map.tga", Tga(10, 24, 0x10, true));
    Save(dir + "/gen_rle_grey.tga", Tga(11, 8, 0x00, false));
}

// ---- WAV ----------------------------------------------------------------------------------------

struct SChunk {
    const char* id;
    Bytes body;
};

Bytes Riff(const std::vector<SChunk>& chunks) {
    Bytes b;
    PutText(b, "RIFF");
    PutU32(b, 0);
    PutText(b, "WAVE");
    for (const SChunk& c : chunks) {
        PutText(b, c.id);
        PutU32(b, static_cast<uint32_t>(c.body.size()));
        b.insert(b.end(), c.body.begin(), c.body.end());
        if (c.body.size() % 2) PutU8(b, 0);
    }
    assetgen::PatchU32(b, 4, static_cast<uint32_t>(b.size() - 8));
    return b;
}

Bytes Format(uint16_t channels, uint32_t rate, uint16_t bits, size_t extraBytes) {
    Bytes b;
    PutU16(b, 1);
    PutU16(b, channels);
    PutU32(b, rate);
    PutU32(b, rate * channels * bits / 8);
    PutU16(b, static_cast<uint16_t>(channels * bits / 8));
    PutU16(b, bits);
    b.resize(b.size() + extraBytes, 0);
    return b;
}

Bytes Samples(size_t bytes) {
    Bytes b;
    for (size_t i = 0; i < bytes; ++i) PutU8(b, static_cast<uint8_t>(i * 37));
    return b;
}

void WriteWavSeeds(const std::string& dir) {
    Save(dir + "/gen_mono8.wav", Riff({{"fmt ", Format(1, 8000, 8, 0)}, {"data", Samples(101)}}));
    Save(dir + "/gen_stereo16.wav", Riff({{"fmt ", Format(2, 44100, 16, 0)}, {"data", Samples(400)}}));
    Save(dir + "/gen_list_before_data.wav",
         Riff({{"fmt ", Format(2, 22050, 8, 2)}, {"LIST", Samples(9)}, {"data", Samples(64)}}));
    Save(dir + "/gen_data_first.wav", Riff({{"data", Samples(16)}, {"fmt ", Format(1, 11025, 16, 0)}}));
}

// ---- packs in the pack target's layout ---------------------------------------------------------

void PutRecord(Bytes& b, const std::string& name, const Bytes& data) {
    PutU8(b, static_cast<uint8_t>(name.size()));
    PutText(b, name);
    PutU16(b, static_cast<uint16_t>(data.size()));
    b.insert(b.end(), data.begin(), data.end());
}

std::string ManifestLine(const std::string& name, const Bytes& data) {
    char fields[48];
    std::snprintf(fields, sizeof fields, " %zu %08x\n", data.size(), platform::Crc32(data.data(), data.size()));
    return name + fields;
}

// files: pack name -> bytes, taken from the assets.
void WritePackSeeds(const std::string& dir, const std::map<std::string, Bytes>& files) {
    constexpr uint8_t kOurs = 0, kTheirs = 1, kRaw = 2;
    for (uint8_t fault = 0; fault < 4; ++fault) {
        Bytes b{static_cast<uint8_t>(kOurs | (fault << 2) | (1 << 4))};
        for (const auto& [name, data] : files) PutRecord(b, name, data);
        Save(dir + "/gen_ours_fault" + std::to_string(fault) + ".bin", b);
    }
    std::string manifest;
    for (const auto& [name, data] : files) manifest += ManifestLine(name, data);
    Bytes theirs{kTheirs};
    PutRecord(theirs, "manifest.txt", Bytes(manifest.begin(), manifest.end()));
    for (const auto& [name, data] : files) PutRecord(theirs, name, data);
    Save(dir + "/gen_theirs.bin", theirs);

    std::map<std::string, Bytes> packed = files;
    packed["manifest.txt"] = Bytes(manifest.begin(), manifest.end());
    Bytes raw{kRaw};
    const Bytes zip = assetgen::WriteStoredZip(packed);
    raw.insert(raw.end(), zip.begin(), zip.end());
    Save(dir + "/gen_raw.bin", raw);
}

}  // namespace

// make_seeds <corpus root> [<pack name>=<asset file>...]: writes <root>/tga, <root>/wav, <root>/pack.
int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_seeds <corpus root> [<pack name>=<file>...]\n");
        return 2;
    }
    const std::string root = argv[1];
    WriteTgaSeeds(root + "/tga");
    WriteWavSeeds(root + "/wav");
    std::map<std::string, Bytes> files;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        const size_t eq = arg.find('=');
        Bytes data;
        if (eq == std::string::npos || !Load(arg.substr(eq + 1), data) || data.size() > 0xFFFF) {
            std::fprintf(stderr, "make_seeds: skipped %s (not name=file of at most 64 KiB)\n", arg.c_str());
            continue;
        }
        files[arg.substr(0, eq)] = data;
    }
    WritePackSeeds(root + "/pack", files);
    return 0;
}
