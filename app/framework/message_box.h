// The error message box (MessageBoxA with MB_ICONERROR): SDL's simple message box, or
// stderr where no display can show one. Tests install a hook that takes the text instead,
// so a box that blocks never appears there. Any thread; the hook is set before use.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

// Shows the box, its text wrapped to fit the screen (the hook sees it wrapped too), and
// returns once it is closed (at once on stderr or with a hook).
void ShowErrorBox(const std::string& caption, const std::string& text);

// The text with no line over nWidth characters: lines break at blanks, a longer word (a
// path) after a '/' or else anywhere; the text's own line breaks stay.
std::string WrapMessageText(const std::string& text, size_t nWidth);

// A hook that receives caption and text in place of any box; an empty function restores
// the real box.
void SetErrorBoxHook(std::function<void(const std::string&, const std::string&)> hook);
