// The standard recording formats and the audio group's decisions.
#include "recording_formats.h"

#include <mmreg.h>

namespace korvane {

const RecordingFormatRow StandardRecordingFormats[12] = {
    {WAVE_FORMAT_1M08, 131, 11025, 1, 8}, {WAVE_FORMAT_1M16, 132, 11025, 1, 16},
    {WAVE_FORMAT_1S08, 133, 11025, 2, 8}, {WAVE_FORMAT_1S16, 134, 11025, 2, 16},
    {WAVE_FORMAT_2M08, 135, 22050, 1, 8}, {WAVE_FORMAT_2M16, 136, 22050, 1, 16},
    {WAVE_FORMAT_2S08, 137, 22050, 2, 8}, {WAVE_FORMAT_2S16, 138, 22050, 2, 16},
    {WAVE_FORMAT_4M08, 139, 44100, 1, 8}, {WAVE_FORMAT_4M16, 140, 44100, 1, 16},
    {WAVE_FORMAT_4S08, 141, 44100, 2, 8}, {WAVE_FORMAT_4S16, 142, 44100, 2, 16},
};

int OfferedRecordingFormats(DWORD dwFormats, DWORD* flags, int capacity)
{
    int count = 0;
    for (const RecordingFormatRow& row : StandardRecordingFormats)
        if ((dwFormats & row.flag) && count < capacity)
            flags[count++] = row.flag;
    return count;
}

const RecordingFormatRow* RecordingFormatForFlag(DWORD flag)
{
    for (const RecordingFormatRow& row : StandardRecordingFormats)
        if (row.flag == flag)
            return &row;
    return nullptr;
}

int FindFormatFlag(const DWORD* flags, int count, DWORD flag)
{
    for (int i = 0; i < count; ++i)
        if (flags[i] == flag)
            return i;
    return -1;
}

int ProposalFormatTags(int samplesPerSec, int channels, int bitsPerSample, WORD tags[3])
{
    int count = 0;
    if (samplesPerSec == 22050 && channels == 2 && bitsPerSample <= 16)
        tags[count++] = WAVE_FORMAT_MPEGLAYER3;
    tags[count++] = WAVE_FORMAT_ADPCM;
    tags[count++] = WAVE_FORMAT_PCM;
    return count;
}

int ListWaveInDevices(UINT deviceCount, const std::function<bool(UINT)>& answers, UINT* ids,
                      int capacity)
{
    if (capacity <= 0)
        return 0;
    int count = 0;
    ids[count++] = WAVE_MAPPER;
    for (UINT id = 0; id < deviceCount && count < capacity; ++id)
        if (answers(id))
            ids[count++] = id;
    return count;
}

UINT DeviceToDescribe(UINT wanted, const UINT* ids, int count)
{
    for (int i = 0; i < count; ++i)
        if (ids[i] == wanted)
            return wanted;
    return WAVE_MAPPER;
}

}  // namespace korvane
