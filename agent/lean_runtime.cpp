// What the static C++ runtime would otherwise bring into the agent for errors
// it never recovers from. The agent catches no exception, so a length error or
// an exhausted heap in a string or vector ends the process either way; these
// end it at once, without linking the exception classes, their messages and
// the verbose terminate handler with its name demangler (about 100 KB of a
// program that is otherwise a tenth of that).
#include <bits/functexcept.h>

#include <windows.h>

#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
} // namespace __gnu_cxx

namespace std {
void __throw_bad_alloc() {
    abort();
}
void __throw_bad_array_new_length() {
    abort();
}
void __throw_length_error(const char*) {
    abort();
}
void __throw_logic_error(const char*) {
    abort();
}
void __throw_out_of_range(const char*) {
    abort();
}
void __throw_out_of_range_fmt(const char*, ...) {
    abort();
}
void __throw_invalid_argument(const char*) {
    abort();
}
} // namespace std

// The C++ runtime's own string code carries unwind records that name its
// exception personality, and the library's routine for it is large. No C++
// exception is ever thrown here (the throws above end the process), so no
// frame of the agent has a handler or clean-up that unwinding would need: for
// a structured exception, such as an access violation, every such frame only
// passes the search on, and Windows ends the agent as it would without them.
extern "C" EXCEPTION_DISPOSITION __gxx_personality_seh0(PEXCEPTION_RECORD, void*, PCONTEXT,
                                                        PDISPATCHER_CONTEXT) {
    return ExceptionContinueSearch;
}
