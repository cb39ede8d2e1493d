// Captures the game's log lines for a test's lifetime instead of writing the log file.
#pragma once

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "platform/log.h"

class CLogCapture {
public:
    CLogCapture() {
        platform::SetLogSink([this](const std::string& line) {
            std::lock_guard lock(m_mutex);
            m_lines.push_back(line);
        });
    }
    ~CLogCapture() { platform::SetLogSink({}); }
    CLogCapture(const CLogCapture&) = delete;
    CLogCapture& operator=(const CLogCapture&) = delete;

    // Lines that contain a (and b, when given).
    int CountContaining(const std::string& a, const std::string& b = "") {
        std::lock_guard lock(m_mutex);
        return static_cast<int>(std::count_if(m_lines.begin(), m_lines.end(), [&](const std::string& l) {
            return l.find(a) != std::string::npos && l.find(b) != std::string::npos;
        }));
    }
    bool Mentions(const std::string& text) { return CountContaining(text) > 0; }
    // Every line, indented, for a failure message.
    std::string All() {
        std::lock_guard lock(m_mutex);
        std::string all;
        for (const auto& l : m_lines) all += "  " + l + "\n";
        return all;
    }

private:
    std::mutex m_mutex;
    std::vector<std::string> m_lines;
};
