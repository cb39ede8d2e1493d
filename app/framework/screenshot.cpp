// glReadPixels to PNG through stb_image_write (libstb holds the implementation).
#include "app/framework/screenshot.h"

#include <GL/gl.h>
#include <stb/stb_image_write.h>

#include <algorithm>
#include <vector>

#include "platform/log.h"

bool SaveGlPixelsPng(const std::string& path, int x, int y, int w, int h) {
    if (w <= 0 || h <= 0) {
        platform::Log("Screenshot %s: empty area %dx%d", path.c_str(), w, h);
        return false;
    }
    constexpr int kChannels = 3;
    const size_t nRow = static_cast<size_t>(w) * kChannels;
    std::vector<unsigned char> pixels(nRow * static_cast<size_t>(h));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, w, h, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    if (const GLenum err = glGetError(); err != GL_NO_ERROR) {
        platform::Log("Screenshot %s: glReadPixels failed (GL error 0x%x)", path.c_str(), err);
        return false;
    }
    // GL's first row is the bottom one; the PNG's is the top one.
    std::vector<unsigned char> flipped(pixels.size());
    for (int row = 0; row < h; ++row)
        std::copy_n(pixels.data() + nRow * static_cast<size_t>(row), nRow,
                    flipped.data() + nRow * static_cast<size_t>(h - 1 - row));
    if (stbi_write_png(path.c_str(), w, h, kChannels, flipped.data(), static_cast<int>(nRow)) ==
        0) {
        platform::Log("Screenshot %s: the file could not be written", path.c_str());
        return false;
    }
    return true;
}
