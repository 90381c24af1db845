// What the static C++ runtime would otherwise bring into the agent for errors
// it never recovers from. The agent catches no exception, so a length error or
// an exhausted heap in a string or vector ends the process either way; these
// end it at once, without linking the exception classes, their messages and
// the verbose terminate handler with its name demangler (about 100 KB of a
// program that is otherwise a tenth of that).
#include <bits/functexcept.h>

#include <windows.h>

#include <cstddef>
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

// An exhausted heap ends the agent here too, rather than by throwing
// std::bad_alloc that nothing catches: the library's operator new would link
// the throwing machinery and, for its locks, a threads library.
void* operator new(std::size_t size) {
    void* block = std::malloc(size != 0 ? size : 1);
    if (block == nullptr) {
        std::abort();
    }
    return block;
}

void operator delete(void* block) noexcept {
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}

// The handlers in the library's string code: with the personality above, no
// search ever stops at them.
extern "C" void* __cxa_begin_catch(void*) {
    std::abort();
}
extern "C" void __cxa_end_catch() {
    std::abort();
}
extern "C" void __cxa_rethrow() {
    std::abort();
}
