#include "i18n.h"

#include <libintl.h>
#include <locale.h>
#include <stdlib.h>
#include <string.h>
#include <vconf.h>

#include "BreltaLog.h"
#include "DevicePath.h"

#define LANGUAGE_KEY "db/menu_widget/language"
#define REGION_KEY "db/menu_widget/regionformat"
#define TEXT_DOMAIN "brelta_notification"

/* Set once the locale has been taken; a second i18n_init only logs its entry. */
static int _set = 0;

/* The categories that follow the region format; LC_MESSAGES follows the language. */
static const char* const region_categories[] = {
    "LC_CTYPE", "LC_NUMERIC", "LC_TIME",      "LC_COLLATE",     "LC_MONETARY",       "LC_PAPER",
    "LC_NAME",  "LC_ADDRESS", "LC_TELEPHONE", "LC_MEASUREMENT", "LC_IDENTIFICATION",
};

static void update_lang(void) {
    char* value = vconf_get_str(LANGUAGE_KEY);
    if (value == NULL) {
        BRELTA_LOGI("failed to get current language for set lang env");
        return;
    }
    setenv("LANG", value, 1);
    setenv("LC_MESSAGES", value, 1);
    /* The environment fails as a whole when any category names a locale that is not there
     * (the region not set yet, say); the language alone may still be usable. */
    if (setlocale(LC_ALL, "") == NULL) {
        const char* locale = setlocale(LC_ALL, value);
        if (locale != NULL) BRELTA_LOGI("***** setlocale=%s", locale);
    }
    free(value);
}

static void update_region(void) {
    char* value = vconf_get_str(REGION_KEY);
    if (value == NULL) {
        BRELTA_LOGI("failed to get current region format for set region env");
        return;
    }
    for (size_t i = 0; i < sizeof region_categories / sizeof region_categories[0]; ++i)
        setenv(region_categories[i], value, 1);
    const char* locale = setlocale(LC_ALL, "");
    if (locale != NULL) BRELTA_LOGI("***** setlocale=%s", locale);
    free(value);
}

static void __vconf_on_change_language(keynode_t* key, void* data) {
    (void)data;
    const char* name = vconf_keynode_get_name(key);
    if (name == NULL) return;
    BRELTA_LOGI("Key changed %s", name);
    if (strcmp(name, LANGUAGE_KEY) == 0)
        update_lang();
    else if (strcmp(name, REGION_KEY) == 0)
        update_region();
}

static void __set_i18n(void) {
    if (setlocale(LC_ALL, "") == NULL) {
        /* A failed read passes null, which leaves the locale as it is and names it. */
        char* language = vconf_get_str(LANGUAGE_KEY);
        const char* locale = setlocale(LC_ALL, language);
        free(language);
        if (locale != NULL)
            BRELTA_LOGI("***** setlocale=%s", locale);
        else
            BRELTA_LOGI("setlocale() error");
    }
    if (bindtextdomain(TEXT_DOMAIN, DEVICE_PATH("/usr/apps/org.tizen.Brelta/res/locale")) == NULL)
        BRELTA_LOGI("bindtextdomain() error");
    if (textdomain(TEXT_DOMAIN) == NULL) BRELTA_LOGI("textdomain() error");
}

void i18n_init(void) {
    BRELTA_LOGI("Enter i18n_init");
    if (_set == 1) return;
    update_lang();
    update_region();
    vconf_notify_key_changed(LANGUAGE_KEY, __vconf_on_change_language, NULL);
    vconf_notify_key_changed(REGION_KEY, __vconf_on_change_language, NULL);
    __set_i18n();
    _set = 1;
}

void i18n_del(void) {
    BRELTA_LOGI("DeRegistering i18n_del vconf callbacks ");
    vconf_ignore_key_changed(LANGUAGE_KEY, __vconf_on_change_language);
    vconf_ignore_key_changed(REGION_KEY, __vconf_on_change_language);
}
