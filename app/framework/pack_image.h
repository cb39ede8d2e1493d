// A picture that can let its decoded pixels go and decode them again from the pack when asked.
// Once a GL texture holds a picture the driver keeps its own copy, so the game need not keep a
// second one for the next context. A picture made from pixels in memory keeps them.
// Window thread.
#pragma once

#include <memory>
#include <string>

#include "app/framework/image.h"

class CResource;

class CPackImage {
public:
    CPackImage() = default;
    explicit CPackImage(SImage pixels);

    // Reads and decodes file from folder of the pack, which must outlive this picture; false
    // with the reason in error leaves it empty.
    bool Load(CResource& pack, const std::string& folder, const std::string& file, std::string& error);
    // The pixels, decoded again if they were let go; null when nothing is loaded or the pack no
    // longer gives them (logged). Valid until the next LetGo.
    const SImage* Pixels() const;
    // Drops the decoded pixels when they can be decoded again; kept otherwise.
    void LetGo() const;
    bool HoldsPixels() const { return m_pImage != nullptr; }
    bool IsLoaded() const { return m_bLoaded; }
    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    // Pack folder and file joined, or empty for pixels made in memory.
    std::string Path() const;

private:
    bool Decode(std::string& error) const;

    CResource* m_pPack = nullptr;
    std::string m_strFolder, m_strFile;
    mutable std::unique_ptr<SImage> m_pImage;
    int m_nWidth = 0, m_nHeight = 0;
    bool m_bLoaded = false;
};
