#ifndef BRELTA_SCREEN_ROOTWATCH_H
#define BRELTA_SCREEN_ROOTWATCH_H

#include <glib.h>

#include <functional>
#include <map>
#include <string>

namespace brelta::screen {

// Tells which parts of a device root changed, from the kernel's file-change notifications
// (no polling): the directories of the services are watched from the moment they exist, the
// settings store's whole tree included, and again after a reset removed and a run made them.
class RootWatch {
public:
    enum Area : unsigned {
        kToasts = 1u << 0,    // notifications/
        kLaunches = 1u << 1,  // apps/
        kSettings = 1u << 2,  // settings/ and every directory below it
        kUsb = 1u << 3,       // usb/
        kFaults = 1u << 4,    // faults/
        kLog = 1u << 5,       // log/
        kAll = (1u << 6) - 1,
    };
    // Called on the main loop with the areas that changed; several changes read at once are
    // reported together.
    using Callback = std::function<void(unsigned areas)>;

    RootWatch(std::string root, Callback changed);
    ~RootWatch();
    RootWatch(const RootWatch&) = delete;
    RootWatch& operator=(const RootWatch&) = delete;
    // False when the kernel gives no watch of the root itself.
    bool Start();

    // A hostile tree must not take every watch the user has.
    static constexpr size_t kMaxWatches = 2048;

private:
    struct Watched {
        std::string path;
        unsigned area;
    };
    void WatchArea(const std::string& name);
    void WatchTree(const std::string& dir, unsigned area);
    static gboolean OnEvents(gint fd, GIOCondition condition, gpointer self);

    std::string m_Root;
    Callback m_Changed;
    int m_Fd = -1;
    guint m_Source = 0;
    std::map<int, Watched> m_Watches;
};

}  // namespace brelta::screen

#endif
