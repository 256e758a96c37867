#pragma once
// What a statement raises, for tests of the original's error numbers.

#include "runtime/error.hpp"

namespace testsupport {

// Runs `f` and returns the number of the runtime::Error it raised, 0 when none.
template <typename F>
int errorOf(F&& f) {
    try {
        f();
    } catch (const runtime::Error& e) {
        return e.number();
    }
    return 0;
}

}  // namespace testsupport
