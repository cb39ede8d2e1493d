// The game window on the real renderer (SDL's offscreen driver unless the caller named one) or
// headless, with its own temporary settings and log folders, and the frames it saves read back
// as RGB. A GL case is skipped where SDL cannot make a GL window.
#pragma once

#include <gtest/gtest.h>
#include <stb/stb_image.h>
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

#include "app/game_wnd.h"

struct SPng {
    int w = 0, h = 0;
    std::vector<uint8_t> rgb;  // top row first
    bool Load(const std::filesystem::path& path) {
        int n = 0;
        uint8_t* p = stbi_load(path.c_str(), &w, &h, &n, 3);
        if (!p) return false;
        rgb.assign(p, p + static_cast<size_t>(w) * h * 3);
        stbi_image_free(p);
        return true;
    }
    // A pixel of the logical screen, y counted up from the bottom.
    const uint8_t* At(int x, int yUp) const { return &rgb[(static_cast<size_t>(h - 1 - yUp) * w + x) * 3]; }
};

class CGlGameWndTest : public ::testing::Test {
protected:
    // The headless backend gives the same window without GL, for the tests that need no pixels.
    explicit CGlGameWndTest(EWindowBackend backend = EWindowBackend::Sdl) : m_backend(backend) {}

    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);  // keep a driver the caller named
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        char pattern[] = "/tmp/kd_game_wnd_fixture_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
        setenv("XDG_CONFIG_HOME", (m_dir / "config").c_str(), 1);
        setenv("XDG_STATE_HOME", (m_dir / "state").c_str(), 1);
        wnd = std::make_unique<CGameWnd>(m_backend);
        wnd->Resource().SetDatFile(KD_RES_PACK_PATH);
        ASSERT_TRUE(wnd->Resource().Open()) << wnd->Resource().LastError();
        const bool bMade = wnd->CreateGLWindow("Kelvo Dara", kLogicalWidth, kLogicalHeight, 32, false, 103, false);
        if (m_backend == EWindowBackend::Headless) ASSERT_TRUE(bMade);
        else if (!bMade) GTEST_SKIP() << "SDL cannot make a GL window with driver " << getenv("SDL_VIDEODRIVER");
    }
    void TearDown() override {
        if (wnd) wnd->StopWorkers();
        wnd.reset();
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }

    EWindowBackend m_backend;
    std::filesystem::path m_dir;
    std::unique_ptr<CGameWnd> wnd;
};
