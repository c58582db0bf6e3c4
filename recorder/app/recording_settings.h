// RecordingSettings: every user choice that shapes a recording, as one process-wide
// record with the built-in defaults, plus the shared strings of the recorder.
// Written on the UI thread only (options dialog, main window); the recording thread
// reads it while it runs and writes compressorFourCC in its fall-backs, which is safe
// because the options dialog is refused while a recording runs.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <string>

#include "region_mode.h"

struct RecordingSettings {
    int captureBitsPerPixel = 24;  // replaced by the screen's depth at start-up
    RegionMode regionMode = RegionMode::Dragged;
    int fixedWidth = 320;
    int fixedHeight = 240;
    int frameIntervalMs = 40;  // always 1000 / framesPerSecond
    int framesPerSecond = 25;
    int keyFrameEvery = 25;
    int compressorQuality = 7000;  // 0..10000
    DWORD compressorFourCC = mmioFOURCC('M', 'S', 'V', 'C');
    int compressorIndex = -1;  // -1: never chosen in the options dialog
    int recordAudio = 1;
    UINT audioDeviceId = WAVE_MAPPER;
    int audioBufferFrames = 1000;
    DWORD audioFormatFlag = WAVE_FORMAT_2S16;
    int audioBitsPerSample = 16;
    int audioChannels = 2;
    int audioSamplesPerSec = 22050;
    int compressAudio = 1;
    int recordPauseKey = VK_F7;
    int stopKey = VK_F8;
    int recordKeyArmed = 1;
    int recordCursor = 1;
    int minimizeOnStart = 0;
    // Empty until the main window is constructed; then rebuilt only by the options OK.
    std::string videoStatusLine;
    std::string audioStatusLine;
    std::string hotkeyStatusLine;
};

extern RecordingSettings settings;

// The three status lines the main window gives the settings when it is constructed.
extern const char kDefaultVideoStatusLine[];
extern const char kDefaultAudioStatusLine[];
extern const char kDefaultHotkeyStatusLine[];

// Shared strings of the finishing steps (UI thread only).
extern std::string mergedAviPath;
extern std::string lastSaveFolder;
