// Draughts and positions: placement, counting, copying, the drawing transform.
#include <gtest/gtest.h>

#include "position_builder.h"

TEST(Desk, CountOnDeskCountsOnlyWhiteAndBlackOnTheBoard) {
    CGameSettings s;
    CDesk d = DeskWith(s, {{0, 0, 0, SIDE_BLACK}, {1, 0.2f, 0, SIDE_BLACK}, {10, 0.4f, 0, SIDE_WHITE}});
    int w = -1, b = -1;
    d.CountOnDesk(w, b);
    EXPECT_EQ(w, 1);
    EXPECT_EQ(b, 2);
    d.m_aChecks[1].m_nSide = 0;  // no side: counted nowhere
    d.m_aChecks[5].Init(0.1f, 0.1f, 3);
    d.CountOnDesk(w, b);
    EXPECT_EQ(w, 1);
    EXPECT_EQ(b, 1);
}

TEST(Check, InitPlacesAtRestWithTheSettingsRadius) {
    CGameSettings s;
    CCheck c;
    c.m_fVx0 = 3.0f;
    c.m_bFalling = 1;
    c.m_bOnDesk = 0;
    c.m_fTilt = 20.0f;
    c.m_fHeight = -2.0f;
    c.m_fKickCos = 0.5f;
    c.SetSettings(&s);
    c.Init(0.25f, -0.5f, SIDE_BLACK);
    EXPECT_EQ(c.m_fX, 0.25f);
    EXPECT_EQ(c.m_fStartY, -0.5f);
    EXPECT_EQ(c.m_fPrevX, 0.25f);
    EXPECT_EQ(c.m_nSide, SIDE_BLACK);
    EXPECT_EQ(c.m_fRadius, 0.058f);
    EXPECT_FLOAT_EQ(c.m_fRadius2, 0.058f * 0.058f);
    EXPECT_EQ(c.m_fVx0, 0.0f);
    EXPECT_EQ(c.m_bFalling, 0);
    EXPECT_EQ(c.m_bOnDesk, 1);
    EXPECT_EQ(c.m_fTilt, 0.0f);
    EXPECT_EQ(c.m_fHeight, 0.0f);
    EXPECT_EQ(c.m_fKickCos, 0.5f) << "left for the next flick to write";
}

TEST(Check, DrawTransformTiltsByBoardShapeThenPlacesThenSpins) {
    const struct {
        int nBoard;
        float fAngle, fAxisX, fAxisZ;
    } cases[] = {
        {BOARD_SQUARE, 30.0f, 0.25f, 0.5f},
        {BOARD_ROUND, 30.0f, -0.25f, 0.5f},
        {BOARD_TWELVE, -30.0f, 0.25f, 0.5f},
        {7, 0.0f, 0.0f, 0.0f},  // unknown board: untilted
    };
    for (const auto& t : cases) {
        CGameSettings s;
        s.BoardType = t.nBoard;
        CCheck c;
        c.SetSettings(&s);
        c.Init(0.1f, 0.2f, SIDE_WHITE);
        c.m_fHeight = -0.5f;
        c.m_fTilt = 30.0f;
        c.m_fTiltAxisX = 0.25f;
        c.m_fTiltAxisZ = 0.5f;
        c.m_fSpinAngle = 77.0f;
        const CCheck before = c;
        c.Draw();  // no renderer installed: draws nothing and leaves the draught as it was
        const CGLObject o = c.DrawTransform();
        SCOPED_TRACE(testing::Message() << "board " << t.nBoard);
        EXPECT_EQ(o.GetRotX().fAngle, t.fAngle);
        EXPECT_EQ(o.GetRotX().fX, t.fAxisX);
        EXPECT_EQ(o.GetRotX().fY, 0.0f);
        EXPECT_EQ(o.GetRotX().fZ, t.fAxisZ);
        // Board (x, y) is the scene's X and Z; the height is the scene's Y.
        EXPECT_EQ(o.GetPos()[0], 0.1f);
        EXPECT_EQ(o.GetPos()[1], -0.5f);
        EXPECT_EQ(o.GetPos()[2], 0.2f);
        EXPECT_EQ(o.GetRotY().fAngle, 77.0f);
        EXPECT_EQ(o.GetRotY().fY, 1.0f);
        EXPECT_EQ(c.GetPos()[0], before.GetPos()[0]) << "drawing does not write into the position";
        EXPECT_EQ(c.GetRotX().fAngle, before.GetRotX().fAngle);
    }
}

TEST(Check, DrawHandsTheObjectToTheInstalledRendererOnlyWithAModel) {
    struct CCountingRenderer : IObjectRenderer {
        int nDrawn = 0;
        float fLastX = 0.0f;
        void DrawObject(const CGLObject& o) override {
            ++nDrawn;
            fLastX = o.GetPos()[0];
        }
    } renderer;
    SetObjectRenderer(&renderer);
    CGameSettings s;
    CCheck c;
    c.SetSettings(&s);
    c.Init(0.3f, 0.0f, SIDE_WHITE);
    c.Draw();
    EXPECT_EQ(renderer.nDrawn, 0) << "an empty object draws nothing";
    c.Set3DS(5);
    c.Draw();
    EXPECT_EQ(renderer.nDrawn, 1);
    EXPECT_EQ(renderer.fLastX, 0.3f);
    SetObjectRenderer(nullptr);
}
