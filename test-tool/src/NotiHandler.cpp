#include "NotiHandler.h"

#include "BreltaLog.h"

NotiHandler::NotiHandler() : m_Handle(nullptr) {}

NotiHandler::~NotiHandler() {
    if (m_Handle != nullptr) notification_free(m_Handle);
}

notification_h NotiHandler::Handle() {
    if (m_Handle != nullptr) return m_Handle;
    m_Handle = notification_create(NOTIFICATION_TYPE_NOTI);
    if (m_Handle == nullptr) BRELTA_UI_LOGI("[Failed notification_create]");
    return m_Handle;
}
