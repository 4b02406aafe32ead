/* The yardstick of the start-up benchmark: a GLib + GIO program that does only what the tool
 * must do before it can look at its command id, that is, ask for its name on the system bus
 * and create a main loop. Started as "bare_glib NAME". */
#include <gio/gio.h>

int main(int argc, char** argv) {
    const char* name = argc > 1 ? argv[argc - 1] : "brelta.bench.bare";
    g_bus_own_name(G_BUS_TYPE_SYSTEM, name, G_BUS_NAME_OWNER_FLAGS_NONE, NULL, NULL, NULL, NULL,
                   NULL);
    GMainLoop* loop = g_main_loop_new(NULL, FALSE);
    g_main_loop_unref(loop);
    return 0;
}
