#include "base/FileWatch.h"

#include <glib-unix.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <map>
#include <mutex>

namespace brelta::host {

namespace {
struct Watch {
    unsigned id;
    int wd;  // the kernel's watch of the directory; -1 once the directory is gone
    std::string dir;
    std::uint32_t mask;
    FileWatch::Callback callback;
    void* userData;
    GMainContext* context;  // referenced
};

// A GLib source reading the descriptor on one main context, shared by that context's watches.
struct Reader {
    GMainContext* context;
    GSource* source;
    int watches;
};

struct Batch {
    unsigned id;
    GMainContext* context;
    std::vector<FileWatch::Event> events;
};

// Never freed: exit-time code may still remove its watches.
struct State {
    std::mutex mutex;
    int fd = -1;
    unsigned nextId = 1;
    std::vector<Watch> watches;
    std::vector<Reader> readers;
};
State* g_state = nullptr;
std::once_flag g_once;

constexpr std::uint32_t kAlwaysReported = IN_Q_OVERFLOW | IN_IGNORED;

gboolean OnReadable(gint fd, GIOCondition condition, gpointer context);

void LockForFork() {
    g_state->mutex.lock();
}

void UnlockAfterFork() {
    g_state->mutex.unlock();
}

// In a forked child: the inherited descriptor is the parent's instance, whose events only one
// of the two processes would get. A new instance takes its number, so that the readers'
// sources go on polling it, and watches the same directories again.
void RenewAfterFork() {
    State& state = *g_state;
    if (state.fd >= 0) {
        int fresh = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        std::map<int, int> renewed;  // old watch descriptor -> new one
        if (fresh >= 0) {
            for (const Watch& watch : state.watches) {
                if (watch.wd < 0 || renewed.count(watch.wd) != 0) continue;
                std::uint32_t mask = 0;
                for (const Watch& other : state.watches)
                    if (other.wd == watch.wd) mask |= other.mask;
                renewed[watch.wd] = inotify_add_watch(fresh, watch.dir.c_str(), mask | IN_ONLYDIR);
            }
        } else {
            // No instance to be had (the user's limit): a descriptor that is never readable
            // keeps the sources quiet without sharing the parent's events.
            fresh = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
        }
        for (Watch& watch : state.watches) watch.wd = watch.wd < 0 ? -1 : renewed[watch.wd];
        if (fresh >= 0) {
            dup3(fresh, state.fd, O_CLOEXEC);
            close(fresh);
        }
    }
    state.mutex.unlock();
}

State& GetState() {
    std::call_once(g_once, [] {
        g_state = new State();
        pthread_atfork(LockForFork, UnlockAfterFork, RenewAfterFork);
    });
    return *g_state;
}

void AddReaderLocked(State& state, GMainContext* context) {
    for (Reader& reader : state.readers) {
        if (reader.context == context) {
            ++reader.watches;
            return;
        }
    }
    GSource* source = g_unix_fd_source_new(state.fd, G_IO_IN);
    g_source_set_callback(source, G_SOURCE_FUNC(OnReadable), context, nullptr);
    g_source_attach(source, context);
    state.readers.push_back(Reader{g_main_context_ref(context), source, 1});
}

void ReleaseReaderLocked(State& state, GMainContext* context) {
    auto it = std::find_if(state.readers.begin(), state.readers.end(),
                           [context](const Reader& r) { return r.context == context; });
    if (it == state.readers.end() || --it->watches > 0) return;
    // Destroying a source inside its own dispatch is safe: GLib holds it until that returns.
    g_source_destroy(it->source);
    g_source_unref(it->source);
    g_main_context_unref(it->context);
    state.readers.erase(it);
}

// Everything the descriptor holds now, in the kernel's order: a batch is a run of events for
// one watch, so that events of different watches are delivered in the order they happened.
std::vector<Batch> ReadLocked(State& state) {
    std::vector<Batch> batches;
    auto batchOf = [&batches](const Watch& watch) -> std::vector<FileWatch::Event>& {
        if (batches.empty() || batches.back().id != watch.id)
            batches.push_back(Batch{watch.id, watch.context, {}});
        return batches.back().events;
    };
    alignas(struct inotify_event) char buffer[16 * 1024];
    for (;;) {
        ssize_t n = read(state.fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        for (char* p = buffer; p < buffer + n;) {
            const auto* event = reinterpret_cast<const struct inotify_event*>(p);
            p += sizeof(struct inotify_event) + event->len;
            bool overflow = (event->mask & IN_Q_OVERFLOW) != 0;
            for (Watch& watch : state.watches) {
                if (!overflow && (watch.wd < 0 || watch.wd != event->wd)) continue;
                std::uint32_t mask = event->mask & (watch.mask | kAlwaysReported);
                if (mask == 0) continue;
                batchOf(watch).push_back(FileWatch::Event{mask, event->len > 0 ? event->name : ""});
                if (event->mask & IN_IGNORED) watch.wd = -1;
            }
        }
    }
    return batches;
}

// Calls the watch's callback unless it was removed since the events were read.
void Deliver(unsigned id, const std::vector<FileWatch::Event>& events) {
    FileWatch::Callback callback = nullptr;
    void* userData = nullptr;
    {
        State& state = GetState();
        std::lock_guard<std::mutex> lock(state.mutex);
        auto it = std::find_if(state.watches.begin(), state.watches.end(),
                               [id](const Watch& w) { return w.id == id; });
        if (it == state.watches.end()) return;
        callback = it->callback;
        userData = it->userData;
    }
    // Without the lock: the callback may add and remove watches.
    callback(events, userData);
}

gboolean DeliverPassed(gpointer data) {
    const Batch& batch = *static_cast<Batch*>(data);
    Deliver(batch.id, batch.events);
    return G_SOURCE_REMOVE;
}

void DeleteBatch(gpointer data) {
    delete static_cast<Batch*>(data);
}

gboolean OnReadable(gint, GIOCondition, gpointer data) {
    auto* context = static_cast<GMainContext*>(data);
    std::vector<Batch> batches;
    {
        State& state = GetState();
        std::lock_guard<std::mutex> lock(state.mutex);
        batches = ReadLocked(state);
    }
    for (Batch& batch : batches) {
        if (batch.context == context) {
            Deliver(batch.id, batch.events);
            continue;
        }
        // A watch of another context: delivered there. Its context outlives the source,
        // which holds a reference to it until it has run or been dropped.
        GSource* source = g_idle_source_new();
        g_source_set_priority(source, G_PRIORITY_DEFAULT);
        g_source_set_callback(source, DeliverPassed, new Batch(std::move(batch)), DeleteBatch);
        g_source_attach(source, batch.context);
        g_source_unref(source);
    }
    return G_SOURCE_CONTINUE;
}
}  // namespace

unsigned FileWatch::Add(const std::string& dir, std::uint32_t mask, Callback callback,
                        void* userData) {
    if (callback == nullptr || dir.empty()) return 0;
    State& state = GetState();
    std::lock_guard<std::mutex> lock(state.mutex);
    if (state.fd < 0) state.fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (state.fd < 0) return 0;
    // Added to what other watches of the directory asked for: the kernel has one watch of it.
    int wd = inotify_add_watch(state.fd, dir.c_str(), mask | IN_ONLYDIR | IN_MASK_ADD);
    if (wd < 0) return 0;
    GMainContext* context = g_main_context_ref_thread_default();
    AddReaderLocked(state, context);
    unsigned id = state.nextId++;
    state.watches.push_back(Watch{id, wd, dir, mask, callback, userData, context});
    return id;
}

void FileWatch::Remove(unsigned id) {
    State& state = GetState();
    std::lock_guard<std::mutex> lock(state.mutex);
    auto it = std::find_if(state.watches.begin(), state.watches.end(),
                           [id](const Watch& w) { return w.id == id; });
    if (it == state.watches.end()) return;
    int wd = it->wd;
    GMainContext* context = it->context;
    state.watches.erase(it);
    bool shared = std::any_of(state.watches.begin(), state.watches.end(),
                              [wd](const Watch& w) { return w.wd == wd; });
    if (wd >= 0 && !shared) inotify_rm_watch(state.fd, wd);
    ReleaseReaderLocked(state, context);
    g_main_context_unref(context);
}

}  // namespace brelta::host
