// The help and about pages: scrolling by a line and drawing the 26 visible lines.
// Window thread.
#include "app/game_wnd.h"
#include "menus/menu_buttons.h"
#include "menus/text_lines.h"

void CGameWnd::OnScroll(int nScreen, int nCommand) {
    int* pFirst = nullptr;
    int nCount = 0;
    if (nScreen == SCREEN_HELP) {
        pFirst = &m_nHelpFirst;
        nCount = kHelpLineCount;
    } else if (nScreen == SCREEN_ABOUT) {
        pFirst = &m_nAboutFirst;
        nCount = kAboutLineCount;
    } else {
        return;
    }
    if (nCommand == CMD_SCROLL_DOWN) *pFirst = ScrollDown(*pFirst, nCount);
    else if (nCommand == CMD_SCROLL_UP) *pFirst = ScrollUp(*pFirst);
}

void CGameWnd::DrawTextPage(const STextLine* pLines, int nCount, int nFirst) {
    if (!pLines || nFirst < 0) return;
    m_font.SetColor(kBodyColor.r, kBodyColor.g, kBodyColor.b);
    for (int i = 0; i < kTextPageLines && nFirst + i < nCount; ++i) {
        const STextLine& line = pLines[nFirst + i];
        m_font.SetColor(line.r, line.g, line.b);
        // The tables hold no '%', so printing through "%s" shows the same text.
        m_font.Print(kTextPageX, kTextPageTopY - kTextPageLineStep * i, line.fScale, "%s", line.szText);
    }
}
