// The headless window: no window, no GL, no input of its own. Tests drive CGLWnd by
// injecting input and calling StepFrame. Window thread.
#pragma once

#include "app/framework/window_backend.h"

class CHeadlessBackend : public IWindowBackend {
public:
    bool Create(const SWindowConfig& config) override;
    void Destroy() override { m_bCreated = false; }
    bool HasGlContext() const override { return false; }
    void PollInput(std::vector<platform::SMessage>& out, bool& bQuit) override;
    SViewportRect BeginFrame() override;
    void EndFrame() override {}
    void KeepFrame() override {}
    bool ShowKeptFrame() override { return false; }
    bool TakeExposed() override { return false; }
    bool IsFullScreen() const override { return m_bFullScreen; }
    bool IsActive() const override { return m_bCreated && m_bActive; }
    void SetTitle(const std::string& title) override { m_strTitle = title; }
    void ShowCursor(bool) override {}
    bool EnableVSync(bool) override { return true; }
    bool SetKeyboardGrab(bool) override { return m_bCreated; }
    void CaptureMouse(bool) override {}
    bool ReadDepth(int, int, float&) override { return false; }
    void GetDrawableSize(int& w, int& h) const override;
    void* NativeContext() const override { return nullptr; }

    // Stands for the window being minimised or losing focus.
    void SetActive(bool bActive) { m_bActive = bActive; }

private:
    bool m_bCreated = false;
    bool m_bFullScreen = false;
    bool m_bActive = true;
    int m_nWidth = kLogicalWidth;
    int m_nHeight = kLogicalHeight;
    std::string m_strTitle;
};
