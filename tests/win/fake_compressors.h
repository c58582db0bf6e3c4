// In-process fake video compressors, installed with ICInstall(ICINSTALL_FUNCTION) so
// that the real enumeration, ICOpen and AVIFile reach them. Each slot has a driver
// procedure of its own: the enumeration asks a function driver for ICM_GETINFO
// without opening it, so a shared procedure could not tell which one it is.
// A fake takes frames as they are (enough to be given a stream format), answers its
// state, and notes what it gets.
#pragma once
#include <windows.h>
#include <vfw.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

struct FakeCompressor {
    DWORD fourCC = 0;
    std::function<bool(const BITMAPINFOHEADER&)> accepts;
    std::vector<BYTE> state;       // the ICM_GETSTATE answer; empty: not supported
    LRESULT claimedStateSize = 0;  // when set, the size query answers this instead
    // Notes, read after the calls are over.
    std::atomic<int> queries{0};
    std::atomic<int> setStateCalls{0};
    std::vector<BYTE> stateSet;
};

constexpr int kFakeSlots = 40;
inline std::array<FakeCompressor, kFakeSlots> fakeSlots;

inline LRESULT FakeMessage(FakeCompressor& fake, UINT msg, LPARAM l1, LPARAM l2)
{
    switch (msg) {
    case DRV_LOAD:
    case DRV_FREE:
    case DRV_ENABLE:
    case DRV_DISABLE:
    case DRV_OPEN:
    case DRV_CLOSE: return 1;
    case ICM_GETINFO: {
        auto* info = reinterpret_cast<ICINFO*>(l1);
        if (!info || static_cast<DWORD>(l2) < sizeof(ICINFO))
            return 0;
        std::memset(info, 0, sizeof(ICINFO));
        info->dwSize = sizeof(ICINFO);
        info->fccType = ICTYPE_VIDEO;
        info->fccHandler = fake.fourCC;
        const char* name = reinterpret_cast<const char*>(&fake.fourCC);
        const std::wstring description = L"Fake " + std::wstring(name, name + 4);
        lstrcpynW(info->szDescription, description.c_str(), 128);
        return sizeof(ICINFO);
    }
    case ICM_COMPRESS_QUERY:
        ++fake.queries;
        return fake.accepts(*reinterpret_cast<const BITMAPINFOHEADER*>(l1)) ? ICERR_OK
                                                                            : ICERR_BADFORMAT;
    case ICM_GETSTATE:
        if (fake.state.empty())
            return ICERR_UNSUPPORTED;  // as a compressor without state answers
        if (!l1 && fake.claimedStateSize)
            return fake.claimedStateSize;
        if (l1)
            std::memcpy(reinterpret_cast<void*>(l1), fake.state.data(),
                        std::min<size_t>(fake.state.size(), static_cast<size_t>(l2)));
        return static_cast<LRESULT>(fake.state.size());
    case ICM_SETSTATE: {
        ++fake.setStateCalls;
        const BYTE* bytes = reinterpret_cast<const BYTE*>(l1);
        fake.stateSet.assign(bytes, bytes + (bytes ? l2 : 0));
        return l2;
    }
    case ICM_COMPRESS_GET_FORMAT: {
        const auto* in = reinterpret_cast<const BITMAPINFOHEADER*>(l1);
        const DWORD bytes = in->biSize + 4 * in->biClrUsed;
        if (!l2)
            return bytes;
        std::memcpy(reinterpret_cast<void*>(l2), in, bytes);
        reinterpret_cast<BITMAPINFOHEADER*>(l2)->biCompression = fake.fourCC;
        return ICERR_OK;
    }
    case ICM_COMPRESS_GET_SIZE: return reinterpret_cast<const BITMAPINFOHEADER*>(l1)->biSizeImage;
    case ICM_COMPRESS_BEGIN:
    case ICM_COMPRESS_END: return ICERR_OK;
    default: return ICERR_UNSUPPORTED;
    }
}

template <int N>
LRESULT CALLBACK FakeDriverProc(DWORD_PTR, HDRVR, UINT msg, LPARAM l1, LPARAM l2)
{
    return FakeMessage(fakeSlots[N], msg, l1, l2);
}

template <size_t... N>
constexpr std::array<DRIVERPROC, sizeof...(N)> MakeFakeProcs(std::index_sequence<N...>)
{
    return {&FakeDriverProc<static_cast<int>(N)>...};
}
inline const std::array<DRIVERPROC, kFakeSlots> fakeProcs =
    MakeFakeProcs(std::make_index_sequence<kFakeSlots>());

// Installs fakes for the owner's lifetime, in the order of the calls (the enumeration
// lists function drivers after the installed ones, in that order).
class FakeCompressors {
public:
    FakeCompressors() = default;
    ~FakeCompressors()
    {
        for (int i = 0; i < m_used; ++i)
            Remove(i);
    }
    FakeCompressors(const FakeCompressors&) = delete;
    FakeCompressors& operator=(const FakeCompressors&) = delete;

    // Null when all slots are used or the install is refused.
    FakeCompressor* Install(DWORD fourCC, std::function<bool(const BITMAPINFOHEADER&)> accepts,
                            std::vector<BYTE> state = {})
    {
        if (m_used == kFakeSlots)
            return nullptr;
        FakeCompressor& fake = fakeSlots[m_used];
        fake.fourCC = fourCC;
        fake.accepts = std::move(accepts);
        fake.state = std::move(state);
        fake.queries = 0;
        fake.setStateCalls = 0;
        fake.stateSet.clear();
        if (!ICInstall(ICTYPE_VIDEO, fourCC, reinterpret_cast<LPARAM>(fakeProcs[m_used]), nullptr,
                       ICINSTALL_FUNCTION))
            return nullptr;
        ++m_used;
        return &fake;
    }
    // Uninstalls one early, as if it had been removed from the system.
    void Remove(int slot)
    {
        if (fakeSlots[slot].fourCC)
            ICRemove(ICTYPE_VIDEO, fakeSlots[slot].fourCC, 0);
        fakeSlots[slot].fourCC = 0;
    }

private:
    int m_used = 0;
};

// Acceptance rules of the fakes.
inline bool AcceptsAll(const BITMAPINFOHEADER&) { return true; }
inline std::function<bool(const BITMAPINFOHEADER&)> MultiplesOf(int n)
{
    return [n](const BITMAPINFOHEADER& h) { return h.biWidth % n == 0 && h.biHeight % n == 0; };
}
