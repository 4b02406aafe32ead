// A second process on the same device root: posts one notification and waits for its first
// event.  notification_peer <title> <hide timeout> <seconds to wait>
// Prints "event <event>"; exits 0 after an event, 2 on bad usage or a failed post, 3 on none.
#include <notification.h>

#include <glib.h>

#include <cstdio>
#include <cstdlib>

namespace {
int g_event = -1;

void OnEvent(notification_h, int event, void* userdata) {
    g_event = event;
    g_main_loop_quit(static_cast<GMainLoop*>(userdata));
}

gboolean GiveUp(gpointer loop) {
    g_main_loop_quit(static_cast<GMainLoop*>(loop));
    return G_SOURCE_REMOVE;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    notification_h noti = notification_create(NOTIFICATION_TYPE_NOTI);
    if (noti == nullptr) return 2;
    notification_set_text(noti, NOTIFICATION_TEXT_TYPE_TITLE, argv[1], "TITLE",
                          NOTIFICATION_VARIABLE_TYPE_NONE);
    notification_set_hide_timeout(noti, std::atoi(argv[2]));
    if (notification_post_with_event_cb(noti, OnEvent, loop) != 0) return 2;
    g_timeout_add(static_cast<guint>(std::atof(argv[3]) * 1000), GiveUp, loop);
    g_main_loop_run(loop);
    notification_free(noti);
    g_main_loop_unref(loop);
    if (g_event < 0) return 3;
    printf("event %d\n", g_event);
    return 0;
}
