// The scratch drive's reserve.
#include "scratch_reserve.h"

#include "app/scratch_paths.h"

#include <windows.h>

#include <vector>

ScratchReserve::ScratchReserve()
{
    m_path = ReserveScratchFile("\\~korvane reserve.tmp", ".tmp");
    if (m_path.empty())
        return;
    m_file = korvane::KernelHandle(CreateFileA(m_path.c_str(), GENERIC_WRITE,
                                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    // Written, not just sized: a sized file may take no room on the drive at all.
    const std::vector<char> zeros(64 * 1024);
    DWORD written = 0;
    for (unsigned done = 0; m_file && done < kBytes; done += written)
        if (!WriteFile(m_file.Get(), zeros.data(), static_cast<DWORD>(zeros.size()), &written,
                       nullptr) ||
            written == 0)
            break;
}

ScratchReserve::~ScratchReserve()
{
    m_file.Reset();
    if (!m_path.empty())
        DeleteFileA(m_path.c_str());
}
