// A test program's own settings and log folders in a fresh temporary folder, and SDL's dummy
// audio driver, for the whole run; the folder is removed at the end.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>

class CTempProfileEnvironment : public ::testing::Environment {
public:
    explicit CTempProfileEnvironment(std::string name) : m_strName(std::move(name)) {}
    void SetUp() override {
        m_root = std::filesystem::temp_directory_path() / (m_strName + "_" + std::to_string(getpid()));
        std::filesystem::create_directories(m_root / "config");
        std::filesystem::create_directories(m_root / "state");
        setenv("XDG_CONFIG_HOME", (m_root / "config").c_str(), 1);
        setenv("XDG_DATA_HOME", (m_root / "data").c_str(), 1);
        setenv("XDG_STATE_HOME", (m_root / "state").c_str(), 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(m_root, ec);
    }

private:
    std::string m_strName;
    std::filesystem::path m_root;
};

// For a test file's scope: const auto* g_env = AddTempProfile("kd_some_test");
inline ::testing::Environment* AddTempProfile(const char* szName) {
    return ::testing::AddGlobalTestEnvironment(new CTempProfileEnvironment(szName));
}
