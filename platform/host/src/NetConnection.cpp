#include "NetConnection.h"

#include <mutex>
#include <set>

namespace brelta::host {

namespace {
struct Handle {
    int unused = 0;
};
std::mutex g_mutex;
// Live handles. Never freed itself: the tool keeps a handle until the process ends.
std::set<void*>* g_live = nullptr;
}  // namespace

void* NetConnection::Create() {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_live == nullptr) g_live = new std::set<void*>();
    Handle* handle = new Handle();
    g_live->insert(handle);
    return handle;
}

bool NetConnection::Valid(void* handle) {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_live != nullptr && g_live->count(handle) > 0;
}

bool NetConnection::Destroy(void* handle) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_live == nullptr || g_live->erase(handle) == 0) return false;
    delete static_cast<Handle*>(handle);
    return true;
}

}  // namespace brelta::host
