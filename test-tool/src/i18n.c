#include "i18n.h"

#include "BreltaLog.h"

/* Set once the locale has been taken; a second i18n_init only logs its entry. */
static int _set = 0;

void i18n_init(void) {
    BRELTA_LOGI("Enter i18n_init");
    if (_set == 1) return;
    _set = 1;
}

void i18n_del(void) {
    BRELTA_LOGI("DeRegistering i18n_del vconf callbacks ");
}
