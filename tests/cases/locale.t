# The locale set-up: language and region from the settings store, followed while the tool runs.

case no-keys
  run brelta.keycombination.x
  records system i18n.c
    i18n.c: i18n_init > Enter i18n_init
    i18n.c: update_lang > failed to get current language for set lang env
    i18n.c: update_region > failed to get current region format for set region env
    i18n.c: i18n_del > DeRegistering i18n_del vconf callbacks\x20

case both-keys
  set db/menu_widget/language string C.UTF-8
  set db/menu_widget/regionformat string C.UTF-8
  run brelta.keycombination.x
  records system i18n.c
    i18n.c: i18n_init > Enter i18n_init
    i18n.c: update_region > ***** setlocale=C.UTF-8
    i18n.c: i18n_del > DeRegistering i18n_del vconf callbacks\x20

# A language that names no locale fails the binding; a region that names none fails the
# environment as a whole, and the language stands in.
case no-such-locale
  set db/menu_widget/language string xx_XX.UTF-8
  run brelta.keycombination.x
  records system i18n.c
    i18n.c: i18n_init > Enter i18n_init
    i18n.c: update_region > failed to get current region format for set region env
    i18n.c: __set_i18n > setlocale() error
    i18n.c: i18n_del > DeRegistering i18n_del vconf callbacks\x20
  set db/menu_widget/language string C.UTF-8
  set db/menu_widget/regionformat string xx_XX.UTF-8
  run brelta.keycombination.x
  records system i18n.c
    i18n.c: i18n_init > Enter i18n_init
    i18n.c: __set_i18n > ***** setlocale=C.UTF-8
    i18n.c: i18n_del > DeRegistering i18n_del vconf callbacks\x20

# The language and region reach the environment of the program that the MDT command starts,
# over a language that the tool's own environment held.
case inherited-by-mdt
  env LANG=xx_XX.UTF-8
  set db/menu_widget/language string C.UTF-8
  set db/menu_widget/regionformat string C
  write usr/bin/MDT #!/bin/sh\nenv > "$BRELTA_DEVICE_ROOT/env.new" && mv "$BRELTA_DEVICE_ROOT/env.new" "$BRELTA_DEVICE_ROOT/env"\n
  $ chmod +x usr/bin/MDT
  start brelta.keycombination.mdt
  await log/system Result:[0]
  kill
  $ grep -E '^(LANG|LC_[A-Z]*)=' env | sort
    LANG=C.UTF-8
    LC_ADDRESS=C
    LC_COLLATE=C
    LC_CTYPE=C
    LC_IDENTIFICATION=C
    LC_MEASUREMENT=C
    LC_MESSAGES=C.UTF-8
    LC_MONETARY=C
    LC_NAME=C
    LC_NUMERIC=C
    LC_PAPER=C
    LC_TELEPHONE=C
    LC_TIME=C

# While the tool waits out its exit delay, a person changes the language (in place) and then
# the region (by rename); without a language key, binding names the current locale.
case changes-followed
  set db/menu_widget/regionformat string xx_XX.UTF-8
  start brelta.keycombination.WiFiList
  await log/system EXITING in 5 seconds
  $ echo 'string C.UTF-8' > settings/db/menu_widget/language
  await log/system Key changed db/menu_widget/language
  $ printf 'string C.UTF-8\n' > r.new && mv r.new settings/db/menu_widget/regionformat
  await log/system Key changed db/menu_widget/regionformat
  wait
  records system i18n.c CTaskManager.cpp
    i18n.c: i18n_init > Enter i18n_init
    i18n.c: update_lang > failed to get current language for set lang env
    i18n.c: __set_i18n > ***** setlocale=C
    CTaskManager.cpp: LockExit > lOCK ++ 1
    CTaskManager.cpp: UnLockExit > UNLOCK -- 0
    CTaskManager.cpp: Exit > EXITING in 5 seconds ...
    i18n.c: __vconf_on_change_language > Key changed db/menu_widget/language
    i18n.c: update_lang > ***** setlocale=C.UTF-8
    i18n.c: __vconf_on_change_language > Key changed db/menu_widget/regionformat
    i18n.c: update_region > ***** setlocale=C.UTF-8
    CTaskManager.cpp: operator() > EXITING.
    i18n.c: i18n_del > DeRegistering i18n_del vconf callbacks\x20

# The change watch refused: the locale is set once, and a later change goes unnoticed.
case changes-not-followed
  set db/menu_widget/regionformat string xx_XX.UTF-8
  fault vconf_notify_key_changed -1 -1
  start brelta.keycombination.WiFiList
  await log/system EXITING in 5 seconds
  $ echo 'string C.UTF-8' > settings/db/menu_widget/language
  wait
  records system i18n.c
    i18n.c: i18n_init > Enter i18n_init
    i18n.c: update_lang > failed to get current language for set lang env
    i18n.c: __set_i18n > ***** setlocale=C
    i18n.c: i18n_del > DeRegistering i18n_del vconf callbacks\x20
