// A settings file beside the test program, which plays the program: each
// test starts without one and leaves none behind.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "settings_files.h"

inline const char *const kMissing = "<missing>";

class SettingsFixture : public ::testing::Test {
protected:
    std::string folder;      // with trailing backslash
    std::string besideFile;  // folder + "Vantorel.ini"

    void SetUp() override {
        char path[MAX_PATH];
        GetModuleFileNameA(nullptr, path, sizeof path);
        folder = path;
        folder.erase(folder.rfind('\\') + 1);
        besideFile = folder + "Vantorel.ini";
        RemoveBesideFile();
        gSettingsLocations = SettingsLocations();
    }

    void TearDown() override {
        RemoveBesideFile();
        gSettingsLocations = SettingsLocations();
    }

    // An empty "Vantorel.ini" beside the program, chosen as both files.
    void UseFileBesideProgram() {
        HANDLE h = CreateFileA(besideFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        CloseHandle(h);
        ChooseSettingsFiles((folder + "Vantorel").c_str());
        ASSERT_EQ(gSettingsLocations.file[0], besideFile);
    }

    // The value as stored in the file beside the program, kMissing when absent.
    std::string RawValue(const char *section, const char *key) {
        char buffer[1024];
        GetPrivateProfileStringA(section, key, kMissing, buffer, sizeof buffer, besideFile.c_str());
        return buffer;
    }

private:
    void RemoveBesideFile() {
        // Drop the profile cache's copy along with the file.
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, besideFile.c_str());
        DeleteFileA(besideFile.c_str());
    }
};
