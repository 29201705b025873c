// What the shipped programs take from the C++ runtime in place of its own versions: a terminate
// handler and the throw helpers that the standard containers call. Linked as an object of each
// program, never from a library, so that the linker has these definitions before it searches
// the runtime, and does not pull in:
//   - the default terminate handler, which prints the type of an uncaught exception through the
//     name demangler (about 46 KB); a windowed program has nowhere to print it;
//   - the throw helpers' object, which builds std::logic_error and friends around a second
//     (copy-on-write) std::string implementation and std::random_device (about 80 KB).
// Should the runtime ever need a helper that is not defined here, the link fails with a
// multiple definition of the ones that are: never silently.
#include <cstdlib>
#include <exception>
#include <new>

namespace {

// A failed precondition inside the standard library (an index past the end, a null C string).
// Caught like any other exception at the edge of an operation.
class LibraryMisuse final : public std::exception {
  public:
    explicit LibraryMisuse(const char* what) noexcept : what_(what) {}
    const char* what() const noexcept override { return what_; }

  private:
    const char* what_;
};

}  // namespace

namespace __gnu_cxx {

void __verbose_terminate_handler() {
    std::abort();
}

}  // namespace __gnu_cxx

namespace std {

void __throw_bad_alloc() {
    throw bad_alloc();
}

void __throw_bad_array_new_length() {
    throw bad_array_new_length();
}

// A size beyond what the container can hold: for the caller, memory it cannot have.
void __throw_length_error(const char*) {
    throw bad_alloc();
}

void __throw_logic_error(const char* what) {
    throw LibraryMisuse(what);
}

void __throw_out_of_range_fmt(const char* format, ...) {
    throw LibraryMisuse(format);
}

}  // namespace std
