#ifndef BRELTA_HOST_HANDLEREGISTRY_H
#define BRELTA_HOST_HANDLEREGISTRY_H

#include <cstddef>
#include <mutex>
#include <set>

namespace brelta::host {

// The open handles of one kind that a service hands out, so that a call with a stale or
// made-up handle fails instead of touching freed memory. Keep one as a function-local
// static pointer that is never freed: the tool may still hold a handle at process exit.
template <typename T>
class HandleRegistry {
public:
    T* Create() {
        std::lock_guard<std::mutex> lock(m_Mutex);
        T* handle = new T();
        m_Open.insert(handle);
        return handle;
    }
    bool Valid(const void* handle) {
        std::lock_guard<std::mutex> lock(m_Mutex);
        return m_Open.count(static_cast<T*>(const_cast<void*>(handle))) > 0;
    }
    bool Destroy(void* handle) {
        std::lock_guard<std::mutex> lock(m_Mutex);
        if (m_Open.erase(static_cast<T*>(handle)) == 0) return false;
        delete static_cast<T*>(handle);
        return true;
    }
    size_t Size() {
        std::lock_guard<std::mutex> lock(m_Mutex);
        return m_Open.size();
    }

private:
    std::mutex m_Mutex;
    std::set<T*> m_Open;
};

}  // namespace brelta::host

#endif
