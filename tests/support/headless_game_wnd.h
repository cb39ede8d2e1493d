// The headless game window each window test case starts from (the real pack opened, the
// window created, no computer start pending), and its end, which also drops any clock or log
// redirection the case made.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/game_events.h"
#include "app/game_wnd.h"
#include "platform/clock.h"
#include "platform/log.h"

inline void OpenHeadlessGameWnd(std::unique_ptr<CGameWnd>& wnd, const std::string& packDir) {
    wnd = std::make_unique<CGameWnd>(EWindowBackend::Headless);
    wnd->Resource().AddSearchDir(packDir);
    ASSERT_TRUE(wnd->Resource().Open()) << wnd->Resource().LastError();
    ASSERT_EQ(1, wnd->CreateGLWindow("Kelvo Dara", 800, 600, 32, false, 103, false));
    m_hTimeoutCompTurnEvent.Reset();
}

inline void CloseHeadlessGameWnd(std::unique_ptr<CGameWnd>& wnd) {
    wnd.reset();  // stops its threads
    platform::SetTimeSource({});
    platform::SetLogSink({});
    m_hTimeoutCompTurnEvent.Reset();
}
