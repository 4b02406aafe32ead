#ifndef BRELTA_NOTIHANDLER_H
#define BRELTA_NOTIHANDLER_H

#include <notification.h>

// Owner of one platform notification handle. The handle is created on first demand, so a
// toast that is prepared but never shown costs the platform nothing.
class NotiHandler {
public:
    NotiHandler();
    ~NotiHandler();
    NotiHandler(const NotiHandler&) = delete;
    NotiHandler& operator=(const NotiHandler&) = delete;

    // The handle, created now if there is none yet; null when the platform cannot create
    // one (the next call tries again).
    notification_h Handle();

private:
    notification_h m_Handle;
};

#endif
