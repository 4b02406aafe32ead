#include "Follow.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "CliError.h"
#include "base/DeviceRoot.h"

namespace brelta::cli {

Follow::Follow(Changed changed)
    : m_Changed(std::move(changed)), m_Loop(g_main_loop_new(nullptr, FALSE)) {
    m_Watch = std::make_unique<host::RootWatch>(
        host::DeviceRoot::Path(),
        [this](unsigned areas, const std::vector<host::RootWatch::Event>& events) {
            // The exception must not cross GLib's frames.
            try {
                m_Changed(areas, events);
            } catch (const CliError& error) {
                std::fprintf(stderr, "brelta-device: %s\n", error.what());
                std::exit(error.Status());
            }
        });
    if (!m_Watch->Start())
        throw CliError::SystemFailure("cannot watch " + host::DeviceRoot::Path(),
                                      errno != 0 ? errno : EIO);
}

Follow::~Follow() {
    m_Watch.reset();
    g_main_loop_unref(m_Loop);
}

void Follow::Run() {
    g_main_loop_run(m_Loop);
}

void Follow::Stop() {
    g_main_loop_quit(m_Loop);
}

}  // namespace brelta::cli
