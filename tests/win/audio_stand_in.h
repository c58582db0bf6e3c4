// The sound code's surroundings for a test: message boxes and troubles are collected
// instead of shown, and the WAV file may be given a path of the test's own. In place for
// the stand-in's lifetime.
#pragma once
#include "audio/audio_system.h"

#include <functional>
#include <string>
#include <vector>

struct AudioStandIn : korvane::AudioSystem {
    std::vector<std::string> shown;
    std::vector<korvane::AudioTrouble> troubles;
    // When set, names the WAV file in place of the scratch folder's name.
    std::function<bool()> choosePath;

    int ShowMessage(HWND, const char* text, const char*, UINT) override
    {
        shown.push_back(text);
        return IDOK;
    }
    void NoteTrouble(korvane::AudioTrouble trouble) override { troubles.push_back(trouble); }
    bool ChooseTempWavPath() override
    {
        return choosePath ? choosePath() : korvane::AudioSystem::ChooseTempWavPath();
    }

private:
    korvane::AudioSystemInUse::Replacement m_inPlace{*this};
};
