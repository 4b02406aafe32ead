#ifndef BRELTA_I18N_H
#define BRELTA_I18N_H

#ifdef __cplusplus
extern "C" {
#endif

/* Takes LANG and the locale categories from the settings store, binds the message
 * catalogue and follows later changes of the language and region keys. */
void i18n_init(void);
/* Stops following the two keys. */
void i18n_del(void);

#ifdef __cplusplus
}
#endif

#endif
