// The runtime's default terminate handler prints the demangled type of the exception that was
// not caught, and with it links the whole C++ demangler (some 50 KB) into the plug-in. Every
// callback and export of the plug-in catches what it may throw, so a terminate can only come
// from a fault: it ends the process as plainly as the default does, without the text.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
