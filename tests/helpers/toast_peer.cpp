// A process that shows the toast and ends the way the tool does: returning from main while
// the toast may still be on screen, leaving its removal to the exit-time destructors.
//   toast_peer <content> <seconds to run>
// Prints "pressed" when its one button is pressed; the main loop ends after the given time
// or at the press.
#include <glib.h>

#include <cstdio>
#include <cstdlib>

#include "UIToast.h"

namespace {
GMainLoop* g_loop = nullptr;

gboolean Quit(gpointer) {
    g_main_loop_quit(g_loop);
    return G_SOURCE_REMOVE;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    g_loop = g_main_loop_new(nullptr, FALSE);
    UIToast* toast = GetUIToastInstance();
    toast->Init(nullptr);
    toast->AddButton(
        "OK", "",
        [] {
            printf("pressed\n");
            fflush(stdout);
            g_main_loop_quit(g_loop);
        },
        true);
    if (!toast->Show("Peer", "", argv[1], 60)) return 2;
    g_timeout_add(static_cast<guint>(std::atof(argv[2]) * 1000), Quit, nullptr);
    g_main_loop_run(g_loop);
    g_main_loop_unref(g_loop);
    return 0;
}
