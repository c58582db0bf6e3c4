// The open instances of a codec driver, looked up by the driver id handed out for each.
// Any thread; the list is locked for each call.
#pragma once
#include <windows.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <vector>

namespace kvmsvc {

// Instances live here, not only behind the driver ids we hand out: the id of the first
// DRV_OPEN (without ICOPEN) and 0 from ICInfo arrive as ids too, and must never be taken
// for an instance. Instances that are never closed go with the DLL.
template <class Instance>
class InstanceList {
public:
    Instance* Add(std::unique_ptr<Instance> instance)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_instances.push_back(std::move(instance));
        return m_instances.back().get();
    }
    Instance* Find(DWORD_PTR id)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (auto& instance : m_instances)
            if (reinterpret_cast<DWORD_PTR>(instance.get()) == id)
                return instance.get();
        return nullptr;
    }
    void Remove(DWORD_PTR id)
    {
        std::unique_ptr<Instance> doomed;  // destroyed after the lock is let go
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = std::find_if(m_instances.begin(), m_instances.end(), [id](const auto& instance) {
            return reinterpret_cast<DWORD_PTR>(instance.get()) == id;
        });
        if (it != m_instances.end()) {
            doomed = std::move(*it);
            m_instances.erase(it);
        }
    }

private:
    std::mutex m_mutex;
    std::vector<std::unique_ptr<Instance>> m_instances;
};

}  // namespace kvmsvc
