// Building blocks of the facades: each facade owns one implementation object
// behind an interface pointer, tests it before use, forwards each call and
// turns failures into plain results. A facade picks its variant by naming a
// validity test, an exception style, a destruction style and a copy style:
//
//   using Forward = facade::Forwarder<facade::Shielded<facade::FullTest>,
//                                     facade::SwallowAllButTermination>;
//   bool AMutex::Release() { return Forward::Call(impl_, [](Mutex* m) { return m->Release(); }); }
#pragma once

#include <REDudi/export.h>
#include <REDudi/platform.h>

#include <type_traits>
#include <utility>

namespace REDudi {
namespace facade {

// The failure result of an operation's return type: false, an empty string,
// null, 0, or nothing.
template <class R>
R FailureResult() {
    return R();
}

// Validity tests.
struct NullTest { // T0
    template <class I>
    static bool Test(I* p) {
        return p != nullptr;
    }
};

struct PointerTest { // T1
    template <class I>
    static bool Test(I* p) {
        return p != nullptr && !QV_IsBadCodePtr(const_cast<void*>(static_cast<const void*>(p)));
    }
};

struct ImplementationTest { // T2
    template <class I>
    static bool Test(I* p) {
        return p != nullptr && p->IsValid();
    }
};

struct FullTest { // T3
    template <class I>
    static bool Test(I* p) {
        return PointerTest::Test(p) && p->IsValid();
    }
};

// A test that yields false when anything is thrown, termination included.
template <class Inner>
struct Shielded {
    template <class I>
    static bool Test(I* p) noexcept {
        try {
            return Inner::Test(p);
        } catch (...) {
            return false;
        }
    }
};

// Exception styles.
struct Open { // E0: everything propagates.
    template <class Call>
    static auto Run(Call&& call) -> decltype(call()) {
        return call();
    }
};

struct SwallowAll { // E1: everything becomes the failure result.
    template <class Call>
    static auto Run(Call&& call) noexcept -> decltype(call()) {
        using R = decltype(call());
        try {
            return call();
        } catch (...) {
            return FailureResult<R>();
        }
    }
};

struct SwallowAllButTermination { // E2: a terminating thread still unwinds.
    template <class Call>
    static auto Run(Call&& call) -> decltype(call()) {
        using R = decltype(call());
        try {
            return call();
        } catch (ThreadTerminateException&) {
            throw;
        } catch (...) {
            return FailureResult<R>();
        }
    }
};

// Runs `call(p)` when `p` passes the validity test, under the exception
// style; otherwise gives the failure result of the call's type.
template <class Validity, class Exceptions>
struct Forwarder {
    template <class I, class Operation>
    static auto Call(I* p, Operation&& call) -> decltype(call(p)) {
        using R = decltype(call(p));
        return Exceptions::Run([&]() -> R {
            if (!Validity::Test(p))
                return FailureResult<R>();
            return call(p);
        });
    }
};

// Destruction styles.
struct DeleteDirect { // D1
    template <class I>
    static void Destroy(I*& p) {
        if (p != nullptr) {
            delete p;
            p = nullptr;
        }
    }
};

struct DeleteGuarded { // D2
    template <class I>
    static void Destroy(I*& p) {
        SafeDelete(p);
    }
};

// Owner counts of implementation objects shared by several facades (copy
// style C1). An object that was never shared has one owner and no entry.
class REDUDI_API SharedOwners {
public:
    // Records one more facade referring to `object`.
    static void AddOwner(const void* object);
    // Records that one facade let go of `object`; true when it was the last
    // owner, so the caller must destroy the object.
    static bool RemoveOwner(const void* object);
};

// Destruction of a facade with copy style C1: the implementation is
// destroyed by its last owner only.
template <class Destruction, class I>
void ReleaseShared(I*& p) {
    if (p == nullptr)
        return;
    if (SharedOwners::RemoveOwner(p))
        Destruction::Destroy(p);
    p = nullptr;
}

// Copy style C1: the target gives up its own implementation and shares the
// source's. Assignment from itself changes nothing.
template <class Destruction, class I>
void ShareFrom(I*& target, I* source) {
    if (target == source)
        return;
    if (source != nullptr)
        SharedOwners::AddOwner(source);
    ReleaseShared<Destruction>(target);
    target = source;
}

} // namespace facade
} // namespace REDudi
