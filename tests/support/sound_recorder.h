// Stands in for the sound worker and keeps the effects asked for, in order.
#pragma once

#include <vector>

#include "app/msg_thread.h"
#include "core/win_messages.h"
#include "menus/sound_effects.h"

class CSoundRecorder {
public:
    CSoundRecorder() {
        m_thread.SetHandler([](const platform::SMessage& msg, void* p) {
            static_cast<CSoundRecorder*>(p)->m_sounds.push_back(static_cast<int>(msg.lParam));
        });
    }
    ~CSoundRecorder() { SetSoundThread(nullptr); }
    // The effects asked for since the last call, all that was posted before it included; from
    // the first call on, the effects come here instead of to the window's sound worker.
    std::vector<int> Take() {
        if (m_thread.IsStarted()) {
            m_thread.Post(WM_QUIT, 0, 0);  // the worker handles what came before, then ends
            m_thread.Close();
        }
        std::vector<int> taken;
        taken.swap(m_sounds);
        m_thread.Start(this);
        SetSoundThread(&m_thread);
        return taken;
    }

private:
    std::vector<int> m_sounds;
    CMsgThread m_thread;  // last: stopped before the rest goes
};
