// A window that exists only as state: always creatable, always the configured size.
#include "app/framework/headless_backend.h"

bool CHeadlessBackend::Create(const SWindowConfig& config) {
    m_bCreated = true;
    m_bFullScreen = config.bFullScreen;
    m_strTitle = config.title;
    // Full screen has no desktop to take the size of: it keeps the logical size.
    m_nWidth = config.bFullScreen || config.nWidth <= 0 ? kLogicalWidth : config.nWidth;
    m_nHeight = config.bFullScreen || config.nHeight <= 0 ? kLogicalHeight : config.nHeight;
    return true;
}

void CHeadlessBackend::PollInput(std::vector<platform::SMessage>&, bool& bQuit) { bQuit = false; }

SViewportRect CHeadlessBackend::BeginFrame() { return LetterboxViewport(m_nWidth, m_nHeight); }

void CHeadlessBackend::GetDrawableSize(int& w, int& h) const {
    w = m_nWidth;
    h = m_nHeight;
}

std::unique_ptr<IWindowBackend> MakeHeadlessBackend() {
    return std::make_unique<CHeadlessBackend>();
}
