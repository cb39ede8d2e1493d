// The program's entry: refuses to start without video, creates the single game window,
// opens it in the saved mode and runs the main loop; every failure ends in one error box.
// Main thread.
#include "app/game_entry.h"

#include <cstdio>
#include <vector>

#include "app/framework/dx_version.h"
#include "app/framework/message_box.h"
#include "app/framework/pack_image.h"
#include "app/framework/sound.h"
#include "app/framework/video_start.h"
#include "app/game_wnd.h"
#include "game/match_record.h"
#include "game/record_check.h"
#include "render/scene_resources.h"
#include "menus/shared_images.h"
#include "platform/log.h"

namespace {

SRunGameHooks g_hooks;

constexpr const char* kWindowTitle = "Kelvo Dara";
constexpr int kWindowWidth = 800;
constexpr int kWindowHeight = 600;
constexpr int kIconId = 103;

SImage LoadWindowIcon(CResource& pack) {
    CPackImage icon;
    std::string error;
    if (!icon.Load(pack, assets::image::kIcon.folder, assets::image::kIcon.file, error) || !icon.Pixels()) {
        platform::Log("The window has no icon: %s", error.c_str());
        return {};
    }
    return *icon.Pixels();
}

// What the game cannot be played without: the font, the menus' background, the boards and
// the hands. A damaged one is reported at start like a damaged pack.
std::vector<CResource::SEntryName> EssentialEntries() {
    std::vector<CResource::SEntryName> entries = {{kFontFolder, kFontFile},
                                                  {kFontFolder, CGLFont::MetricsFile(kFontFile)}};
    for (const SSharedImageDef& image : kSharedImages)
        if (image.eImage == ESharedImage::Background) entries.push_back({image.szFolder, image.szFile});
    for (const SBoard& board : kBoards) entries.push_back({kModelFolder, board.szModel});
    for (const char* szHand : assets::kHandModels) entries.push_back({kModelFolder, szHand});
    return entries;
}

constexpr int kBadRecordCode = 1;

// A record to watch is read and played through once before any window: a damaged one, one of
// another version or one that does not end where it says is named with its line, never shown.
bool ReadWatchedRecord(const std::string& path, SMatchRecord& record) {
    std::string error;
    int nFlicks = 0;
    if (ReadRecordFile(path, ProgramVersion(), record, error) && CheckRecordPlays(record, path, nFlicks, error)) {
        platform::Log("Watching %s: %d flicks checked", path.c_str(), nFlicks);
        return true;
    }
    platform::Log("The record cannot be watched: %s", error.c_str());
    std::fprintf(stderr, "kelvodara: %s\n", error.c_str());
    ShowErrorBox(kErrorBoxCaption, error);
    return false;
}

}  // namespace

void SetRunGameHooks(SRunGameHooks hooks) { g_hooks = std::move(hooks); }

int RunGame(bool bHeadless, const SCommandLine& options) {
    SMatchRecord record;
    if (!options.replayFile.empty() && !ReadWatchedRecord(options.replayFile, record)) return kBadRecordCode;
    try {
        if (GetDirectXVersion() < kMinVideoVersion) throw CGameMessage{kNeedDirectXText};
        g_pGameWnd = new CGameWnd(bHeadless ? EWindowBackend::Headless : EWindowBackend::Sdl);
        if (g_hooks.onCreated) g_hooks.onCreated(*g_pGameWnd);
        if (!options.replayFile.empty()) g_pGameWnd->WatchRecord(std::move(record), options.replayFile);
        // Only the window options are read here; the window reloads the whole record in InitScene.
        CGameSettings windowSettings;
        windowSettings.Load();
        CResource& pack = g_pGameWnd->Resource();
        if (!pack.Open() || !pack.CheckEntries(EssentialEntries())) throw CGameMessage{pack.LastError()};
        g_pGameWnd->SetWindowIcon(LoadWindowIcon(pack));
        if (!g_pGameWnd->CreateGLWindow(kWindowTitle, kWindowWidth, kWindowHeight,
                                        windowSettings.DepthBits,
                                        options.fullScreen.value_or(windowSettings.FullScreen),
                                        kIconId, false))
            throw CGameMessage{kCannotStartText};
        if (g_hooks.onShown) g_hooks.onShown(*g_pGameWnd);
        if (options.hostPort || !options.joinAddress.empty())
            g_pGameWnd->RequestNetworkStart(options.hostPort.has_value(), static_cast<uint16_t>(options.hostPort.value_or(0)),
                                            options.joinAddress);
        const int nCode = g_pGameWnd->MainLoop();
        // The window object stays; its threads and sounds must not outlive SDL.
        g_pGameWnd->StopWorkers();
        ReleaseGameSounds();
        g_pGameWnd->DestroyGLWindow();
        ShutdownSound();
        return nCode;
    } catch (const CGameMessage& message) {
        platform::Log("Start-up failed: %s", message.text.c_str());
        ShowErrorBox(kErrorBoxCaption, message.text);
    } catch (...) {
        platform::Log("Unhandled exception; the game ends");
        ShowErrorBox(kErrorBoxCaption, kUnhandledErrorText);
    }
    delete g_pGameWnd;
    g_pGameWnd = nullptr;
    ReleaseCheckedVideo();
    ReleaseGameSounds();
    ShutdownSound();
    return 0;
}
