// The movie writer's one guard against memory running out. No exception leaves the
// writer or its records: each public operation that allocates runs inside this guard,
// which turns std::bad_alloc into the operation's own failure.
#pragma once

#include <new>
#include <type_traits>

// Returns what `operation` returns; when memory runs out in it, calls
// `onOutOfMemory` (which records the failure) and returns a value-initialised result
// (false, 0, nothing).
template <typename Operation, typename OnOutOfMemory>
auto SwfGuardMemory(Operation operation, OnOutOfMemory onOutOfMemory) -> decltype(operation()) {
    try {
        return operation();
    } catch (const std::bad_alloc&) {
        onOutOfMemory();
        if constexpr (!std::is_void_v<decltype(operation())>) {
            return {};
        }
    }
}
