#include "usb/UdevStorage.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <glib-object.h>
#include <glib-unix.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "base/FileUtil.h"

namespace brelta::host {

namespace {
constexpr const char kLibrary[] = "libgudev-1.0.so.0";
constexpr const char kMountInfo[] = "/proc/self/mountinfo";
constexpr const char kUdevControl[] = "/run/udev/control";
// A machine with thousands of mounts (containers) still fits.
constexpr size_t kMountInfoBytes = 16 * 1024 * 1024;

bool ReadMounts(std::string* text) {
    return FileUtil::Read(kMountInfo, text, kMountInfoBytes);
}

// \040 (blank), \011 (tab), \012 (newline) and \134 (backslash): how the kernel writes them.
std::string Unescape(const std::string& field) {
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() &&
            std::all_of(field.begin() + i + 1, field.begin() + i + 4,
                        [](char c) { return c >= '0' && c <= '7'; })) {
            out += static_cast<char>(std::strtol(field.substr(i + 1, 3).c_str(), nullptr, 8));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}
}  // namespace

// GUdev's functions, looked up once per process when the service is first used. The types are
// GUdev's with its objects as untyped pointers: the tool is built without GUdev's headers.
struct UdevStorage::Library {
    void* (*clientNew)(const char* const* subsystems);
    GList* (*queryBySubsystem)(void* client, const char* subsystem);
    const char* (*sysfsPath)(void* device);
    dev_t (*deviceNumber)(void* device);
    void* (*parentWithSubsystem)(void* device, const char* subsystem, const char* devtype);
    const char* (*sysfsAttr)(void* device, const char* name);
    const char* (*property)(void* device, const char* name);
    void* queryClient;  // not listening: for the queries

    static const Library* Get(std::string* reason) {
        static std::string error;
        static const Library* library = Load(&error);
        if (library == nullptr && reason != nullptr) *reason = error;
        return library;
    }

private:
    template <typename Function>
    static bool Find(void* handle, const char* name, Function* function, std::string* error) {
        *function = reinterpret_cast<Function>(dlsym(handle, name));
        if (*function == nullptr) *error = std::string(kLibrary) + " has no " + name;
        return *function != nullptr;
    }
    static const Library* Load(std::string* error) {
        void* handle = dlopen(kLibrary, RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) {
            const char* why = dlerror();
            *error = why != nullptr ? why : kLibrary;
            return nullptr;
        }
        auto* library = new Library();
        if (!Find(handle, "g_udev_client_new", &library->clientNew, error) ||
            !Find(handle, "g_udev_client_query_by_subsystem", &library->queryBySubsystem, error) ||
            !Find(handle, "g_udev_device_get_sysfs_path", &library->sysfsPath, error) ||
            !Find(handle, "g_udev_device_get_device_number", &library->deviceNumber, error) ||
            !Find(handle, "g_udev_device_get_parent_with_subsystem", &library->parentWithSubsystem,
                  error) ||
            !Find(handle, "g_udev_device_get_sysfs_attr", &library->sysfsAttr, error) ||
            !Find(handle, "g_udev_device_get_property", &library->property, error)) {
            delete library;
            return nullptr;
        }
        library->queryClient = library->clientNew(nullptr);
        return library;
    }
};

UdevStorage::UdevStorage() {}

bool UdevStorage::Loadable(std::string* reason) {
    return Library::Get(reason) != nullptr;
}

std::string UdevStorage::MountPoint(const std::string& mountinfo, unsigned major, unsigned minor) {
    const std::string number = std::to_string(major) + ":" + std::to_string(minor);
    for (size_t start = 0; start < mountinfo.size();) {
        size_t end = mountinfo.find('\n', start);
        if (end == std::string::npos) end = mountinfo.size();
        // id, parent id, major:minor, root of the mount in its file system, mount point, ...
        std::string fields[5];
        size_t at = start;
        for (std::string& field : fields) {
            size_t blank = std::min(mountinfo.find(' ', at), end);
            field = mountinfo.substr(at, blank - at);
            at = std::min(blank + 1, end);
        }
        start = end + 1;
        // A bind mount of a directory inside the file system is not where the device is.
        if (fields[2] == number && fields[3] == "/") return Unescape(fields[4]);
    }
    return "";
}

bool UdevStorage::Describe(const Library& library, void* device, const std::string& mountinfo,
                           Found* found) {
    void* usb = library.parentWithSubsystem(device, "usb", "usb_device");
    if (usb == nullptr) return false;
    const char* product = library.sysfsAttr(usb, "product");
    found->device.product = product != nullptr ? product : "";
    g_object_unref(usb);
    if (found->device.product.empty()) {
        const char* model = library.property(device, "ID_MODEL");
        if (model != nullptr) found->device.product = model;
    }
    dev_t number = library.deviceNumber(device);
    if (number == 0) return false;
    found->device.mountpath = MountPoint(mountinfo, major(number), minor(number));
    if (found->device.mountpath.empty()) return false;
    const char* initialised = library.property(device, "USEC_INITIALIZED");
    found->initialised = initialised != nullptr ? std::strtoull(initialised, nullptr, 10) : 0;
    found->number = number;
    return true;
}

bool UdevStorage::Attached(std::vector<Device>* devices) {
    devices->clear();
    const Library* library = Library::Get(nullptr);
    std::string mountinfo;
    if (library == nullptr || !ReadMounts(&mountinfo)) return false;
    std::vector<Found> found;
    GList* list = library->queryBySubsystem(library->queryClient, "block");
    for (GList* item = list; item != nullptr; item = item->next) {
        Found one;
        if (Describe(*library, item->data, mountinfo, &one)) found.push_back(one);
    }
    g_list_free_full(list, g_object_unref);
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        return a.initialised != b.initialised ? a.initialised < b.initialised : a.number < b.number;
    });
    for (const Found& one : found) devices->push_back(one.device);
    return true;
}

void UdevStorage::Watch(Event event) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Event = std::move(event);
    if (m_Event && m_Client == nullptr) {
        const Library* library = Library::Get(nullptr);
        if (library == nullptr) return;
        static const char* const kSubsystems[] = {"block", nullptr};
        m_Client = library->clientNew(kSubsystems);
        g_signal_connect(m_Client, "uevent", G_CALLBACK(OnUevent), this);
    } else if (!m_Event && m_Client != nullptr) {
        g_object_unref(m_Client);
        m_Client = nullptr;
        for (auto& [path, device] : m_Pending) g_object_unref(device);
        m_Pending.clear();
        m_Reported.clear();
        if (m_MountsSource != 0) g_source_remove(m_MountsSource);
        m_MountsSource = 0;
        if (m_Mounts >= 0) close(m_Mounts);
        m_Mounts = -1;
    }
}

void UdevStorage::OnUevent(void*, const char* action, void* device, gpointer self) {
    auto* storage = static_cast<UdevStorage*>(self);
    const Library* library = Library::Get(nullptr);
    const char* path = library->sysfsPath(device);
    if (path == nullptr || action == nullptr) return;
    if (std::string(action) == "add") storage->Plugged(path, device);
    if (std::string(action) == "remove") storage->Unplugged(path);
}

void UdevStorage::Plugged(const std::string& path, void* device) {
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        if (m_Pending.count(path) != 0 || m_Reported.count(path) != 0) return;
        m_Pending[path] = g_object_ref(device);
    }
    if (!ReportMounted()) return;
    // Not mounted yet: the mount table is watched until it is (or the device leaves).
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (m_Mounts >= 0) return;
    m_Mounts = open(kMountInfo, O_RDONLY | O_CLOEXEC);
    if (m_Mounts >= 0)
        m_MountsSource = g_unix_fd_add(m_Mounts, static_cast<GIOCondition>(G_IO_PRI | G_IO_ERR),
                                       OnMountsChanged, this);
}

void UdevStorage::Unplugged(const std::string& path) {
    Device gone;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        auto pending = m_Pending.find(path);
        if (pending != m_Pending.end()) {
            g_object_unref(pending->second);
            m_Pending.erase(pending);
        }
        auto reported = m_Reported.find(path);
        if (reported == m_Reported.end()) return;
        gone = reported->second;
        m_Reported.erase(reported);
    }
    Emit("remove", gone);
}

bool UdevStorage::ReportMounted() {
    std::string mountinfo;
    std::vector<Device> mounted;
    bool waiting;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        const Library* library = Library::Get(nullptr);
        if (library == nullptr || !ReadMounts(&mountinfo)) return !m_Pending.empty();
        for (auto it = m_Pending.begin(); it != m_Pending.end();) {
            Found found;
            bool ready = Describe(*library, it->second, mountinfo, &found);
            if (ready) {
                m_Reported[it->first] = found.device;
                mounted.push_back(found.device);
            }
            // What is no USB storage device at all is dropped; the rest waits for its mount.
            void* usb =
                ready ? nullptr : library->parentWithSubsystem(it->second, "usb", "usb_device");
            if (usb != nullptr) {
                g_object_unref(usb);
                ++it;
                continue;
            }
            g_object_unref(it->second);
            it = m_Pending.erase(it);
        }
        waiting = !m_Pending.empty();
    }
    for (const Device& device : mounted) Emit("add", device);
    return waiting;
}

gboolean UdevStorage::OnMountsChanged(gint, GIOCondition, gpointer self) {
    auto* storage = static_cast<UdevStorage*>(self);
    if (storage->ReportMounted()) return G_SOURCE_CONTINUE;
    std::lock_guard<std::mutex> lock(storage->m_Mutex);
    close(storage->m_Mounts);
    storage->m_Mounts = -1;
    storage->m_MountsSource = 0;
    return G_SOURCE_REMOVE;
}

void UdevStorage::Emit(const char* action, const Device& device) {
    Event event;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        event = m_Event;
    }
    if (event) event(action, device);
}

LiveNeed UdevStorage::Need() {
    std::string reason;
    if (!Loadable(&reason)) return {false, "cannot load GUdev: " + reason};
    // udev's control socket: without udev running, no event of a plugged device comes.
    if (!FileUtil::Exists(kUdevControl))
        return {false, std::string("udev is not running (no ") + kUdevControl +
                           "): only the devices mounted at a query are seen, none plugged in"};
    return {true, "udev, through GUdev"};
}

}  // namespace brelta::host
