// Entry point: one command id in, one task run, exit status 0.
#include <gio/gio.h>
#include <glib.h>

#include <string>

#include "BreltaLog.h"
#include "CTaskManager.h"
#include "i18n.h"

GMainLoop* loop = nullptr;

// The name is only asked for: the tool works the same whether or not the bus grants it.
static void own_name(std::string name) {
    BRELTA_LOGI("own bus %s", name.c_str());
    g_bus_own_name(G_BUS_TYPE_SYSTEM, name.c_str(), G_BUS_NAME_OWNER_FLAGS_NONE, nullptr, nullptr,
                   nullptr, nullptr, nullptr);
}

int main(int argc, char* argv[]) {
    // With an empty argument vector there is no last element; the program's absent name
    // then stands for it, and it matches no command id.
    const char* arg = argc > 0 ? argv[argc - 1] : nullptr;
    BRELTA_LOGI("start work !! => arg %s", arg != nullptr ? arg : "(null)");
    i18n_init();
    std::string commandId;
    if (arg != nullptr) commandId = arg;
    own_name(commandId);
    loop = g_main_loop_new(nullptr, FALSE);
    {
        CTaskManager taskManager(loop);
        if (taskManager.Init(commandId)) g_main_loop_run(loop);
        i18n_del();
        g_main_loop_unref(loop);
        taskManager.Destroy();
        BRELTA_LOGI("work finish!! exit!!");
    }
    return 0;
}
