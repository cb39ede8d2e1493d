// Error boxes through SDL, falling back to stderr; a test hook captures them.
#include "app/framework/message_box.h"

#include <SDL2/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <utility>

#include "app/framework/video_start.h"

namespace {

// About 630 px in the font of SDL's X11 box: fits any screen the game runs on.
constexpr size_t kBoxLineChars = 90;

std::mutex g_hookMutex;
std::function<void(const std::string&, const std::string&)> g_hook;

// Splits a word longer than a line after its last '/' that fits (paths), else at the width.
void AppendLongWord(std::string word, size_t nWidth, std::string& out) {
    while (word.size() > nWidth) {
        const size_t nSlash = word.rfind('/', nWidth - 1);
        const size_t nCut = nSlash == std::string::npos || nSlash == 0 ? nWidth : nSlash + 1;
        out += word.substr(0, nCut) + "\n";
        word.erase(0, nCut);
    }
    out += word;
}

}  // namespace

std::string WrapMessageText(const std::string& text, size_t nWidth) {
    std::string out;
    size_t nStart = 0;
    while (nStart <= text.size()) {
        size_t nEnd = text.find('\n', nStart);
        if (nEnd == std::string::npos) nEnd = text.size();
        std::string line;  // the output line being filled
        size_t nWord = nStart;
        while (nWord < nEnd) {
            size_t nSpace = text.find(' ', nWord);
            if (nSpace == std::string::npos || nSpace > nEnd) nSpace = nEnd;
            const std::string word = text.substr(nWord, nSpace - nWord);
            nWord = nSpace + 1;
            if (!line.empty() && line.size() + 1 + word.size() > nWidth) {
                out += line + "\n";
                line.clear();
            } else if (!line.empty()) {
                line += ' ';
            }
            if (word.size() > nWidth) {
                std::string pieces;
                AppendLongWord(word, nWidth, pieces);
                const size_t nLast = pieces.rfind('\n');
                out += pieces.substr(0, nLast + 1);
                line += pieces.substr(nLast + 1);
            } else {
                line += word;
            }
        }
        out += line;
        if (nEnd < text.size()) out += '\n';
        nStart = nEnd + 1;
    }
    return out;
}

void SetErrorBoxHook(std::function<void(const std::string&, const std::string&)> hook) {
    std::lock_guard<std::mutex> lock(g_hookMutex);
    g_hook = std::move(hook);
}

void ShowErrorBox(const std::string& caption, const std::string& rawText) {
    const std::string text = WrapMessageText(rawText, kBoxLineChars);
    {
        std::lock_guard<std::mutex> lock(g_hookMutex);
        if (g_hook) {
            g_hook(caption, text);
            return;
        }
    }
    // Where the driver draws nowhere a person sees, a box would wait for a click forever.
    if (!IsInvisibleVideoDriver(std::getenv("SDL_VIDEODRIVER")) &&
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption.c_str(), text.c_str(), nullptr) ==
            0)
        return;
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}
