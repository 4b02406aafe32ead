// brelta-glib-log-probe NAME: GLib's messages in a process prepared as the tool's is (the
// tool itself has no message of GLib but the refusal of a bad bus name). Asks for NAME on the
// system bus as the tool does, then makes GLib report a misuse of the same library
// (g_bus_unown_name(0)), then prints "done". The refusal must stay off the terminal and end
// nothing; the misuse must be shown, and end the process under G_DEBUG=fatal-criticals.
#include <gio/gio.h>

#include <cstdio>

int main(int argc, char* argv[]) {
    g_bus_own_name(G_BUS_TYPE_SYSTEM, argc > 1 ? argv[1] : "", G_BUS_NAME_OWNER_FLAGS_NONE, nullptr,
                   nullptr, nullptr, nullptr, nullptr);
    g_bus_unown_name(0);
    std::puts("done");
    return 0;
}
