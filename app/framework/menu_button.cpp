// CGLMenu: picture loading, hit test, hover state and press of an image button.
#include "app/framework/menu_button.h"

#include <cctype>

#include "app/framework/sound.h"
#include "core/asset_names.h"
#include "platform/log.h"

namespace {

std::string LowerCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

CGLMenu::~CGLMenu() { Release(); }

void CGLMenu::Create(int nId) { m_nId = nId; }

bool CGLMenu::LoadFromRes(CResource& pack, const std::string& base, const std::string& folder,
                          const std::string& type) {
    m_normal.Release();
    m_highlighted.Release();
    m_bPointerOver = false;
    std::string extension = LowerCase(type);
    extension.insert(extension.begin(), '.');
    if (!m_normal.LoadImageFromRes(pack, base + extension, folder)) {
        platform::Log("Button %d: no picture \"%s%s\" in \"%s\"; it stays hidden and takes no click",
                      m_nId, base.c_str(), extension.c_str(), folder.c_str());
        return false;
    }
    if (!m_highlighted.LoadImageFromRes(pack, base + assets::kHighlightSuffix + extension, folder))
        platform::Log("Button %d: no highlighted picture \"%s%s%s\" in \"%s\"; it shows no hover",
                      m_nId, base.c_str(), assets::kHighlightSuffix, extension.c_str(), folder.c_str());
    return true;
}

void CGLMenu::SetPos(int x, int y) {
    m_nX = x;
    m_nY = y;
}

void CGLMenu::Release() {
    m_normal.Release();
    m_highlighted.Release();
    m_bPointerOver = false;
}

void CGLMenu::ReleaseUploads() {
    m_normal.ReleaseUpload();
    m_highlighted.ReleaseUpload();
}

bool CGLMenu::HitTestAt(int nLeft, int nBottom, int x, int y) const {
    return IsLoaded() && RectContains(nLeft, nBottom, GetWidth(), GetHeight(), x, y);
}

void CGLMenu::TrackPointerAt(int nLeft, int nBottom, int x, int y) {
    m_bPointerOver = HitTestAt(nLeft, nBottom, x, y);
}

void CGLMenu::Press() {
    if (m_pSound) m_pSound->Play(0, 0);
}

void CGLMenu::CollectDrawAt(int nLeft, int nBottom, std::vector<SWidgetDraw>& out) {
    if (!m_bVisible || !IsLoaded()) return;
    if (!m_bEnabled) {
        out.push_back({&m_normal, nLeft, nBottom, kDisabledShade});
        return;
    }
    CGLTexture* pPicture = IsHighlighted() && HasHighlightImage() ? &m_highlighted : &m_normal;
    out.push_back({pPicture, nLeft, nBottom, kFullShade});
}
