// The campaign kept from an earlier run: offered on the main menu, played on from the set it had
// reached or dropped. The offer is read once, at the first build of the menus. Window thread.
#include "app/game_wnd.h"
#include "game/campaign_state.h"
#include "menus/menu_buttons.h"
#include "menus/sound_effects.h"
#include "platform/log.h"

void CGameWnd::OfferKeptCampaign() {
    if (!m_bCampaignOfferRead) {
        m_bCampaignOfferRead = true;
        SCampaignSet set;
        if (ReadCampaignState(m_campaignPath, set)) {
            m_keptCampaign = set;
            platform::Log("A campaign is kept: board %d, lines %d and %d, %d white and %d black draughts lost",
                          set.settings.nBoard, set.nWhiteShift, set.nBlackShift, set.nLostWhiteTotal,
                          set.nLostBlackTotal);
        }
    }
    for (int nSlot : {CMD_RESUME, CMD_DISCARD}) m_aMenus[nSlot].SetVisible(m_keptCampaign.has_value());
}

void CGameWnd::WithdrawCampaignOffer() {
    m_keptCampaign.reset();
    OfferKeptCampaign();
}

void CGameWnd::ResumeKeptCampaign() {
    if (!m_keptCampaign) return;
    const SCampaignSet set = *m_keptCampaign;
    WithdrawCampaignOffer();
    ApplyRecordSettings(set.settings, m_settings);
    m_match.ResumeCampaign(set);
    SetScreen(SCREEN_GAME);
    RequestSound(SOUND_BEGIN, 0);
}

void CGameWnd::DiscardKeptCampaign() {
    platform::Log("The kept campaign is dropped");
    WithdrawCampaignOffer();
    RemoveCampaignState(m_campaignPath);
}
