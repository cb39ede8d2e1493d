// A match's state opened for tests: an aim to draw, or a busy match, set up without playing
// to it. Window thread, like the match.
#pragma once

#include "game/match.h"

class CMatchProbe {
public:
    explicit CMatchProbe(CMatch& m)
        : m_bBusy(m.m_bBusy), m_nSelected(m.m_nSelected), m_bMarkSet(m.m_bMarkSet), m_vFirstMark(m.m_vFirstMark),
          m_vHand(m.m_vHand), m_ptPick(m.m_ptPick), m_bHandShown(m.m_bHandShown),
          m_bHandInvalid(m.m_bHandInvalid), m_bResultShown(m.m_bResultShown), m_bShiftTurn(m.m_bShiftTurn) {}
    bool& m_bBusy;
    int& m_nSelected;
    bool& m_bMarkSet;
    TScenePoint& m_vFirstMark;
    TScenePoint& m_vHand;
    TScenePoint& m_ptPick;
    bool& m_bHandShown;
    bool& m_bHandInvalid;
    bool& m_bResultShown;
    bool& m_bShiftTurn;
};
