// Release programs only: the handler std::terminate calls when an exception escapes. The
// library's default writes the demangled exception type to standard error, which a GUI
// program does not have, and brings the whole C++ demangler (about 46 KB) into every
// program. Defining it here keeps the library's copy out of the link.
#include <cstdlib>
#include <exception>

namespace __gnu_cxx {  // NOLINT(bugprone-reserved-identifier,cert-dcl58-cpp)

void __verbose_terminate_handler() {  // NOLINT(bugprone-reserved-identifier)
  std::abort();
}

}  // namespace __gnu_cxx
