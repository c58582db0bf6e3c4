// Room held back on the scratch drive while a recording runs. The temporary AVI gets its
// index only when it is finished, so a drive that fills up during the recording would
// leave it without one; the reserve is a file of real bytes made at the start and deleted
// just before the AVI is finished, which gives the index its room. It stays open without
// delete sharing while it lives, so another instance's recovery cannot take it from a
// live recording. Recording thread.
#pragma once
#include "kernel_owners.h"

#include <string>

class ScratchReserve {
public:
    // Enough for the index of hours of frames.
    static constexpr unsigned kBytes = 4u * 1024 * 1024;

    // Made in the scratch folder under a name of its own.
    ScratchReserve();
    ~ScratchReserve();
    ScratchReserve(const ScratchReserve&) = delete;
    ScratchReserve& operator=(const ScratchReserve&) = delete;

    // Empty when no reserve could be made.
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
    korvane::KernelHandle m_file;
};
