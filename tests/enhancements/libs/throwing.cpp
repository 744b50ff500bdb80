// A test enhancement whose entry and close procedures throw: the host
// reports what they threw and goes on.
#include "vzenhancement.h"

#include <stdexcept>

extern "C" VZ_ENHANCEMENT_EXPORT void EnhEntry(THasDllImage *, void *, void *, void *, void *, void *, void *)
{
    throw std::runtime_error("entry went wrong");
}

extern "C" VZ_ENHANCEMENT_EXPORT void MyDLLProc(int32_t)
{
    throw 42;
}
