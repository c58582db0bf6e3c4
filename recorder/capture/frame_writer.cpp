// The writer thread and its hand-over queue.
#include "frame_writer.h"

#include "exception_barrier.h"
#include "recording_stats.h"

#include <utility>

namespace korvane {

FrameWriter::FrameWriter(Sink sink, size_t depth)
    : m_sink(std::move(sink)), m_depth(depth > 0 ? depth : 1), m_thread([this] {
          GuardThreadEntry(
              "the frame writer", [this] { Run(); }, [this] { Fail(); });
      })
{
}

void FrameWriter::Fail() noexcept
{
    // Whoever waits for room or for the queue to empty must not wait for ever.
    std::lock_guard<std::mutex> lock(m_lock);
    if (SUCCEEDED(m_failure))
        m_failure = E_UNEXPECTED;
    m_queue.clear();
    m_busy = false;
    m_changed.notify_all();
}

FrameWriter::~FrameWriter()
{
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

HRESULT FrameWriter::Queue(unsigned position, PackedFrame frame)
{
    std::unique_lock<std::mutex> lock(m_lock);
    m_changed.wait(lock, [this] { return m_queue.size() < m_depth || FAILED(m_failure); });
    if (FAILED(m_failure))
        return m_failure;
    m_queue.push_back(Item{position, std::move(frame)});
    lock.unlock();
    m_changed.notify_all();
    return S_OK;
}

HRESULT FrameWriter::Drain()
{
    std::unique_lock<std::mutex> lock(m_lock);
    m_changed.wait(lock, [this] { return m_queue.empty() && !m_busy; });
    return m_failure;
}

PackedFrame FrameWriter::TakeSpare()
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_spares.empty())
        return PackedFrame();
    PackedFrame spare = std::move(m_spares.back());
    m_spares.pop_back();
    return spare;
}

unsigned FrameWriter::Written() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_written;
}

unsigned FrameWriter::LastPosition() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_lastPosition;
}

double FrameWriter::SinkSeconds() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_sinkSeconds;
}

void FrameWriter::Run()
{
    std::unique_lock<std::mutex> lock(m_lock);
    for (;;) {
        m_changed.wait(lock, [this] { return m_stop || !m_queue.empty(); });
        if (m_queue.empty())
            return;  // stopping, and everything is written
        Item item = std::move(m_queue.front());
        m_queue.pop_front();
        m_busy = true;
        const bool write = SUCCEEDED(m_failure);
        lock.unlock();
        m_changed.notify_all();  // room in the queue

        HRESULT hr = S_OK;
        const double start = StatsClockSeconds();
        if (write) {
            try {
                hr = m_sink(item.position, item.frame);
            } catch (...) {
                LogCaughtException("the frame writer's sink");
                hr = E_UNEXPECTED;
            }
        }
        const double seconds = StatsClockSeconds() - start;

        lock.lock();
        m_busy = false;
        m_sinkSeconds += seconds;
        if (!write) {
            // dropped: an earlier frame failed
        } else if (FAILED(hr)) {
            m_failure = hr;
        } else {
            ++m_written;
            m_lastPosition = item.position;
        }
        if (m_spares.size() < m_depth + 2)
            m_spares.push_back(std::move(item.frame));
        m_changed.notify_all();
        if (item.frame) {
            lock.unlock();  // freeing a large frame takes a while
            item.frame.Reset();
            lock.lock();
        }
    }
}

}  // namespace korvane
