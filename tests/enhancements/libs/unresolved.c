/* A test enhancement that needs a symbol nothing provides: loading it with
 * every symbol resolved fails. */
#include "vzenhancement.h"

extern void vzt_symbol_nobody_has(void);

VZ_ENHANCEMENT_EXPORT void EnhEntry(THasDllImage *holder, void *a, void *b, void *c, void *d, void *e, void *f)
{
    (void)holder; (void)a; (void)b; (void)c; (void)d; (void)e; (void)f;
    vzt_symbol_nobody_has();
}

VZ_ENHANCEMENT_EXPORT void MyDLLProc(int32_t code) { (void)code; }
