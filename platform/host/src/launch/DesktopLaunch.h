#ifndef BRELTA_HOST_DESKTOPLAUNCH_H
#define BRELTA_HOST_DESKTOPLAUNCH_H

#include <string>

#include "LiveNeed.h"
#include "launch/AppLauncher.h"

namespace brelta::host {

// Launch requests on the desktop (the live launcher):
// - the alert application's popup is a desktop notification of its text, urgent (critical)
//   when the text says FAIL, expiring after its "timeout" extra data in seconds;
// - any other request is looked up in $ROOT/apps/desktop by its selector: the settings page
//   (the page key's value) when it has one, else its application id. A mapped one starts
//   the desktop application of that desktop file id, with the page and then every other
//   extra data ("key=value") as its arguments (its Exec line takes them with %U); an
//   unmapped one is a desktop notification that names it.
// A request that reaches nothing fails as the TV's service fails it, and says why on
// standard error: no desktop file of the mapped id, APP_NOT_FOUND; no notification server
// or an application that does not start, LAUNCH_REJECTED.
class DesktopLaunch : public AppLauncher {
public:
    int Launch(const app_control_s& request) override;

    // What live launching needs here: a session bus with a notification server, for the
    // popups and the unmapped pages. False with the reason when it is missing.
    static LiveNeed Need();

    // $ROOT/apps/desktop: "selector<TAB>desktop file id" a line; blank lines and lines that
    // begin with '#' are skipped, and the first line of a selector counts.
    static std::string MapPath();
    // The desktop file id that a mapping's text gives a selector ("" for none), with
    // ".desktop" added when it lacks it.
    static std::string Lookup(const std::string& mapping, const std::string& selector);
};

}  // namespace brelta::host

#endif
