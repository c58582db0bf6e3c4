// What the recording host programs share around the recording (see host_main.h). Test
// thread.
#include "host_main.h"

#include "audio/audio_merge.h"

#include <psapi.h>

#include <cstdio>
#include <cstdlib>

int RunHostMode(int argc, char** argv, const char* name, std::initializer_list<const char*> modes,
                const std::function<int(const std::string& mode, const std::string& outDir)>& run)
{
    if (argc == 3)
        for (const char* mode : modes)
            if (argv[1] == std::string(mode))
                return run(mode, argv[2]);
    std::string names;
    for (const char* mode : modes)
        names += (names.empty() ? "" : "|") + std::string(mode);
    std::fprintf(stderr, "usage: %s %s OUTDIR\n", name, names.c_str());
    return 2;
}

bool ReadFlagRun(int argc, char** argv, const char* name, FlagRun& run)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s SECONDS FLAG OUTDIR\n", name);
        return false;
    }
    run.seconds = static_cast<DWORD>(std::atoi(argv[1]));
    run.flag = argv[2];
    run.outDir = argv[3];
    return true;
}

void ParkPointer() { SetCursorPos(screenWidth - 1, screenHeight - 1); }

void AimAtTopLeft(int width, int height)
{
    UseScreenSettings();
    captureRect = RECT{0, 0, width - 1, height - 1};
    ParkPointer();
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool WaitForFile(MessageSink& sink, const std::string& path, DWORD timeoutMs)
{
    return sink.PumpUntil([&] { return FileExists(path); }, timeoutMs);
}

void WriteReceivedMessages(MessageSink& sink, const std::string& outDir)
{
    sink.PumpFor(300);
    WriteTextFile(outDir + "\\messages.txt", sink.ReceivedLines());
}

int MergeAsRecorded(const std::string& outputPath)
{
    return MuxAudioIntoAvi(tempAviPath, tempWavPath, outputPath, 0, nullptr, 0, 1, 100, 0);
}

double PrivateMegabytes()
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof counters);
    // Wine leaves PrivateUsage at zero; the committed page-file bytes are the same figure.
    const SIZE_T bytes = counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
    return bytes / (1024.0 * 1024.0);
}
