// Building blocks of the help and about line tables: the colours and scales of the kinds of
// lines, and the text page's layout and scrolling. Constants and pure functions; any thread.
#pragma once

#include <cstddef>
#include <cstdint>

// One line of the help or about page.
struct STextLine {
    char szText[100];  // printed as a format string; no line holds '%'
    float fScale;      // print scale
    uint8_t r, g, b;   // colour
};

// The help and about tables (help_text.cpp, about_text.cpp) and their line counts.
extern const STextLine kHelpLines[];
extern const int kHelpLineCount;
extern const STextLine kAboutLines[];
extern const int kAboutLineCount;

// The page shows this many lines; the first at the top, each further one lower.
inline constexpr int kTextPageLines = 26;
inline constexpr int kTextPageX = 30;
inline constexpr int kTextPageTopY = 537;
inline constexpr int kTextPageLineStep = 20;

// The fixed lengths of the two tables.
inline constexpr int kHelpTableLines = 82;
inline constexpr int kAboutTableLines = 101;

struct SRgb {
    uint8_t r, g, b;
};
inline constexpr SRgb kTitleColor{255, 155, 0};
inline constexpr SRgb kBodyColor{255, 255, 255};
inline constexpr SRgb kLabelColor{255, 255, 100};
inline constexpr float kBodyScale = 0.9f;
inline constexpr float kLabelScale = 0.7f;   // the FAQ's question and answer labels
inline constexpr float kHeadingScale = 1.0f;  // the about page's headings

constexpr STextLine MakeLine(const char* szText, float fScale, SRgb color) {
    STextLine line{};
    for (size_t i = 0; szText[i] != '\0' && i + 1 < sizeof line.szText; ++i) line.szText[i] = szText[i];
    line.fScale = fScale;
    line.r = color.r;
    line.g = color.g;
    line.b = color.b;
    return line;
}
constexpr STextLine Title(const char* s) { return MakeLine(s, kBodyScale, kTitleColor); }
constexpr STextLine Body(const char* s) { return MakeLine(s, kBodyScale, kBodyColor); }
constexpr STextLine Label(const char* s) { return MakeLine(s, kLabelScale, kLabelColor); }
constexpr STextLine Heading(const char* s) { return MakeLine(s, kHeadingScale, kLabelColor); }

// The first visible line after one step down (the next line comes into view) or up. Down
// stops when the last line is on the page, up at the first line.
constexpr int ScrollDown(int nFirst, int nCount) {
    return nCount - nFirst > kTextPageLines ? nFirst + 1 : nFirst;
}
constexpr int ScrollUp(int nFirst) { return nFirst > 0 ? nFirst - 1 : 0; }
// The last first-visible line a page of nCount lines can reach.
constexpr int LastFirstLine(int nCount) { return nCount > kTextPageLines ? nCount - kTextPageLines : 0; }
