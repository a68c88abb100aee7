// A program with a message loop has nobody to read a terminate message on stderr, and the
// library's verbose handler brings its whole symbol demangler (45 KB) along. This one only
// ends the process; linked into the program itself so that it is found first.
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() {
    std::abort();
}

}  // namespace __gnu_cxx
