#include "game/campaign_state.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "core/game_settings.h"
#include "game/match_logic.h"
#include "platform/ini_file.h"
#include "platform/log.h"
#include "platform/paths.h"

namespace {

constexpr const char* kTotalsFormat = "lost white=%d black=%d starter=%d\n";
constexpr std::string_view kTotalsKeys[] = {"lost white=", " black=", " starter="};
// Far more than any campaign loses, small enough to be no damage.
constexpr int kMaxLostTotal = kChecksPerSide * kMaxRecordSets;
constexpr size_t kMaxStateBytes = 4096;

// "lost white=N black=N starter=S", each value checked.
bool ParseTotals(std::string_view line, SCampaignSet& set) {
    int* const values[] = {&set.nLostWhiteTotal, &set.nLostBlackTotal, &set.nStarter};
    const int nMin[] = {0, 0, SIDE_WHITE}, nMax[] = {kMaxLostTotal, kMaxLostTotal, SIDE_BLACK};
    for (int i = 0; i < 3; ++i) {
        if (!line.starts_with(kTotalsKeys[i])) return false;
        line.remove_prefix(kTotalsKeys[i].size());
        const auto [end, ec] = std::from_chars(line.data(), line.data() + line.size(), *values[i]);
        if (ec != std::errc() || *values[i] < nMin[i] || *values[i] > nMax[i]) return false;
        line.remove_prefix(size_t(end - line.data()));
    }
    return line.empty();
}

}  // namespace

std::string CampaignStatePath() { return platform::DataDir() + "/campaign.state"; }

SCampaignSet CampaignSetOf(const CGameSettings& s, int nStarter) {
    return {RecordSettingsOf(s), s.m_nWhiteShift, s.m_nBlackShift, s.m_nLostWhiteTotal, s.m_nLostBlackTotal, nStarter};
}

std::string FormatCampaignState(const SCampaignSet& set) {
    SMatchRecord head;
    head.program = ProgramVersion();
    head.settings = set.settings;
    char totals[96];
    std::snprintf(totals, sizeof totals, kTotalsFormat, set.nLostWhiteTotal, set.nLostBlackTotal, set.nStarter);
    return FormatRecordHead(head) + FormatSetLine(set.nWhiteShift, set.nBlackShift) + totals;
}

bool ParseCampaignState(std::string_view text, const std::string& name, SCampaignSet& out, std::string& error) {
    if (text.ends_with('\n')) text.remove_suffix(1);
    const size_t nLast = text.rfind('\n');
    if (nLast == std::string_view::npos) {
        error = name + ": too short";
        return false;
    }
    SMatchRecord head;
    if (!ParseRecord(text.substr(0, nLast + 1), name, "", head, error)) return false;
    SCampaignSet set;
    if (head.sets.size() != 1 || !head.sets[0].flicks.empty() || head.settings.nMode == 0 ||
        !ParseTotals(text.substr(nLast + 1), set)) {
        error = name + ": expected one set line of a campaign, then lost white= black= starter=";
        return false;
    }
    set.settings = head.settings;
    set.nWhiteShift = head.sets[0].nWhiteShift;
    set.nBlackShift = head.sets[0].nBlackShift;
    out = set;
    return true;
}

bool WriteCampaignState(const std::string& path, const SCampaignSet& set) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    if (platform::WriteFileAtomically(path, FormatCampaignState(set))) return true;
    platform::Log("The campaign could not be kept in %s; it cannot be resumed after closing", path.c_str());
    return false;
}

bool ReadCampaignState(const std::string& path, SCampaignSet& out) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return false;
    std::string text(kMaxStateBytes + 1, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), f));
    std::fclose(f);
    std::string error;
    if (text.size() > kMaxStateBytes) error = path + ": longer than " + std::to_string(kMaxStateBytes) + " bytes";
    if (error.empty() && ParseCampaignState(text, path, out, error)) return true;
    platform::Log("The kept campaign is ignored: %s", error.c_str());
    return false;
}

void RemoveCampaignState(const std::string& path) {
    std::error_code ec;
    std::filesystem::remove(path, ec);
}
