// CPackImage: decode on load to know the picture is sound, decode again on demand after a let-go.
#include "app/framework/pack_image.h"

#include <vector>

#include "app/framework/resource.h"
#include "platform/log.h"

CPackImage::CPackImage(SImage pixels)
    : m_pImage(std::make_unique<SImage>(std::move(pixels))),
      m_nWidth(m_pImage->nWidth),
      m_nHeight(m_pImage->nHeight),
      m_bLoaded(true) {}

bool CPackImage::Load(CResource& pack, const std::string& folder, const std::string& file, std::string& error) {
    *this = CPackImage();
    m_pPack = &pack;
    m_strFolder = folder;
    m_strFile = file;
    if (!Decode(error)) {
        *this = CPackImage();
        return false;
    }
    m_nWidth = m_pImage->nWidth;
    m_nHeight = m_pImage->nHeight;
    m_bLoaded = true;
    return true;
}

bool CPackImage::Decode(std::string& error) const {
    std::vector<uint8_t> bytes;
    if (m_pPack == nullptr || !m_pPack->ReadFile(m_strFolder, m_strFile, bytes)) {
        error = "cannot be read from the pack";
        return false;
    }
    auto pImage = std::make_unique<SImage>();
    if (!DecodeTga(bytes.data(), bytes.size(), *pImage, error)) return false;
    m_pImage = std::move(pImage);
    return true;
}

const SImage* CPackImage::Pixels() const {
    if (!m_pImage && m_bLoaded) {
        std::string error;
        if (!Decode(error)) platform::Log("Picture %s: %s", Path().c_str(), error.c_str());
    }
    return m_pImage.get();
}

void CPackImage::LetGo() const {
    if (m_pPack != nullptr) m_pImage.reset();
}

std::string CPackImage::Path() const {
    return m_pPack != nullptr ? CResource::JoinPath(m_strFolder, m_strFile) : std::string();
}
