#include "game/replay_store.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/log.h"
#include "platform/paths.h"

namespace {

constexpr std::string_view kNamePrefix = "match-";
constexpr std::string_view kNameSuffix = ".kdr";
constexpr std::string_view kDigitsPattern = "DDDDDDDD-DDDDDD-DD";  // date, time, serial
constexpr int kSerials = 100;

}  // namespace

std::string ReplayDir() { return platform::DataDir() + "/replays"; }

std::string ReplayFileName(std::time_t start, int nSerial) {
    std::tm t{};
    gmtime_r(&start, &t);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*s%04d%02d%02d-%02d%02d%02d-%02d%.*s", int(kNamePrefix.size()),
                  kNamePrefix.data(), t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec,
                  nSerial % kSerials, int(kNameSuffix.size()), kNameSuffix.data());
    return buf;
}

bool IsReplayFileName(std::string_view name) {
    if (name.size() != kNamePrefix.size() + kDigitsPattern.size() + kNameSuffix.size()) return false;
    if (!name.starts_with(kNamePrefix) || !name.ends_with(kNameSuffix)) return false;
    const std::string_view digits = name.substr(kNamePrefix.size(), kDigitsPattern.size());
    for (size_t i = 0; i < digits.size(); ++i) {
        const bool bDigit = std::isdigit(static_cast<unsigned char>(digits[i])) != 0;
        if (kDigitsPattern[i] == 'D' ? !bDigit : digits[i] != kDigitsPattern[i]) return false;
    }
    return true;
}

int PruneReplays(const std::string& dir, int nKeep) {
    namespace fs = std::filesystem;
    std::error_code ec;
    std::vector<std::string> names;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (IsReplayFileName(name) && it->is_regular_file(ec)) names.push_back(name);
    }
    if (int(names.size()) <= nKeep) return 0;
    std::sort(names.begin(), names.end());
    int nRemoved = 0;
    for (size_t i = 0; i + size_t(nKeep) < names.size(); ++i)
        if (fs::remove(fs::path(dir) / names[i], ec)) ++nRemoved;
    return nRemoved;
}

bool CReplayWriter::Open(const std::string& dir, std::time_t start, const SMatchRecord& record) {
    Close();
    if (!platform::EnsureDir(dir)) {
        LogOnce(("cannot create " + dir).c_str());
        return false;
    }
    for (int nSerial = 0; nSerial < kSerials && m_file == nullptr; ++nSerial) {
        m_path = dir + "/" + ReplayFileName(start, nSerial);
        // Exclusive: two matches of the same second never share a file.
        m_file = std::fopen(m_path.c_str(), "wx");
        if (m_file == nullptr && errno != EEXIST) break;
    }
    if (m_file == nullptr) {
        LogOnce(("cannot create a record file in " + dir).c_str());
        m_path.clear();
        return false;
    }
    Append(FormatRecordHead(record));
    PruneReplays(dir);
    return IsOpen();
}

void CReplayWriter::Append(const std::string& text) {
    if (m_file == nullptr) return;
    if (std::fputs(text.c_str(), m_file) < 0 || std::fflush(m_file) != 0) {
        LogOnce(("cannot write " + m_path).c_str());
        Close();
    }
}

void CReplayWriter::Close() {
    if (m_file == nullptr) return;
    if (std::fclose(m_file) != 0) LogOnce(("cannot close " + m_path).c_str());
    m_file = nullptr;
}

void CReplayWriter::LogOnce(const char* what) {
    if (m_bLogged) return;
    m_bLogged = true;
    platform::Log("Match record: %s (%s); the match goes on unrecorded", what, std::strerror(errno));
}
