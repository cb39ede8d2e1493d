// Stored-only ZIP: local headers with the data, then the central directory and its end record.
#include "tools/assetgen/zip_writer.h"

#include <stdexcept>

namespace assetgen {
namespace {

constexpr uint32_t kLocalHeaderSignature = 0x04034b50;
constexpr uint32_t kCentralHeaderSignature = 0x02014b50;
constexpr uint32_t kEndRecordSignature = 0x06054b50;
constexpr size_t kLocalHeaderSize = 30;
constexpr size_t kCentralHeaderSize = 46;
constexpr size_t kEndRecordSize = 22;
constexpr uint16_t kVersionMadeBy = 20;  // 2.0, host MS-DOS: external attributes stay 0
constexpr uint16_t kVersionNeeded = 10;  // 1.0 reads stored files
constexpr uint16_t kMethodStored = 0;

void CheckName(const std::string& name) {
  bool ok = !name.empty() && name.size() <= 0xFFFF && name.front() != '/' && name.back() != '/';
  // Printable ASCII without spaces: the manifest separates fields with a space.
  for (const char c : name) {
    const auto u = static_cast<unsigned char>(c);
    ok = ok && u > ' ' && u < 0x7F && c != '\\';
  }
  if (!ok) throw std::invalid_argument("zip: bad entry name \"" + name + "\"");
}

// The fields a local header and its central directory entry share, from "version needed" on.
void PutEntryFields(Bytes& b, const std::string& name, const Bytes& data, uint32_t crc) {
  PutU16(b, kVersionNeeded);
  PutU16(b, 0);  // flags: no data descriptor, no encryption
  PutU16(b, kMethodStored);
  PutU16(b, kZipDosTime);
  PutU16(b, kZipDosDate);
  PutU32(b, crc);
  PutU32(b, static_cast<uint32_t>(data.size()));  // compressed size
  PutU32(b, static_cast<uint32_t>(data.size()));
  PutU16(b, static_cast<uint16_t>(name.size()));
  PutU16(b, 0);  // no extra field
}

}  // namespace

uint64_t StoredZipSize(const std::map<std::string, Bytes>& files) {
  uint64_t total = kEndRecordSize;
  for (const auto& [name, data] : files) total += kLocalHeaderSize + kCentralHeaderSize + 2 * name.size() + data.size();
  return total;
}

void CheckStoredZipLimits(uint64_t entries, uint64_t archiveBytes) {
  if (entries > kZipMaxEntries)
    throw std::length_error("zip: " + std::to_string(entries) + " entries, at most " + std::to_string(kZipMaxEntries));
  if (archiveBytes > kZipMaxBytes)
    throw std::length_error("zip: " + std::to_string(archiveBytes) + " bytes, at most " + std::to_string(kZipMaxBytes));
}

Bytes WriteStoredZip(const std::map<std::string, Bytes>& files) {
  for (const auto& entry : files) CheckName(entry.first);
  const uint64_t size = StoredZipSize(files);
  CheckStoredZipLimits(files.size(), size);

  Bytes out;
  out.reserve(static_cast<size_t>(size));
  Bytes central;
  for (const auto& [name, data] : files) {
    const auto offset = static_cast<uint32_t>(out.size());
    const uint32_t crc = Crc32(data);
    PutU32(out, kLocalHeaderSignature);
    PutEntryFields(out, name, data, crc);
    PutText(out, name);
    out.insert(out.end(), data.begin(), data.end());

    PutU32(central, kCentralHeaderSignature);
    PutU16(central, kVersionMadeBy);
    PutEntryFields(central, name, data, crc);
    PutU16(central, 0);  // comment length
    PutU16(central, 0);  // disk number
    PutU16(central, 0);  // internal attributes
    PutU32(central, 0);  // external attributes
    PutU32(central, offset);
    PutText(central, name);
  }
  const auto centralOffset = static_cast<uint32_t>(out.size());
  out.insert(out.end(), central.begin(), central.end());

  PutU32(out, kEndRecordSignature);
  PutU16(out, 0);  // this disk
  PutU16(out, 0);  // disk with the central directory
  PutU16(out, static_cast<uint16_t>(files.size()));
  PutU16(out, static_cast<uint16_t>(files.size()));
  PutU32(out, static_cast<uint32_t>(central.size()));
  PutU32(out, centralOffset);
  PutU16(out, 0);  // comment length
  return out;
}

}  // namespace assetgen
