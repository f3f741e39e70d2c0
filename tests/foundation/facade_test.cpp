// The facade building blocks, exercised through a small facade of the same
// shape as the library's own.
#include "foundation/platform/facade.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace REDudi;

namespace {

enum class Behaviour { Normal, Invalid, ThrowTermination, ThrowOther, PokeThrowsOther };

struct Counters {
    int destroyed = 0;
    int touched = 0;
};

// The implementation behind the facade.
class Widget {
public:
    Widget(Behaviour behaviour, Counters& counters) : behaviour_(behaviour), counters_(counters) {}
    virtual ~Widget() { ++counters_.destroyed; }
    bool IsValid() {
        if (behaviour_ == Behaviour::ThrowOther)
            throw std::runtime_error("validity");
        return behaviour_ != Behaviour::Invalid;
    }
    bool Poke() {
        if (behaviour_ == Behaviour::PokeThrowsOther)
            throw std::logic_error("poke");
        return Raise(), true;
    }
    PString Name() { return Raise(), PString("widget"); }
    void Touch() { ++counters_.touched; }

private:
    void Raise() {
        if (behaviour_ == Behaviour::ThrowTermination)
            throw ThreadTerminateException();
        if (behaviour_ == Behaviour::ThrowOther)
            throw std::logic_error("operation");
    }
    Behaviour behaviour_;
    Counters& counters_;
};

// A facade with validity test T2 shielded, E2 for Poke, E1 for Name, D1 and C1.
class AWidget {
    using Waiting = facade::Forwarder<facade::Shielded<facade::ImplementationTest>,
                                      facade::SwallowAllButTermination>;
    using Quiet =
        facade::Forwarder<facade::Shielded<facade::ImplementationTest>, facade::SwallowAll>;
    using Plain = facade::Forwarder<facade::NullTest, facade::Open>;

public:
    explicit AWidget(Widget* impl) : impl_(impl) {}
    AWidget(const AWidget& other) { facade::ShareFrom<facade::DeleteDirect>(impl_, other.impl_); }
    AWidget& operator=(const AWidget& other) {
        facade::ShareFrom<facade::DeleteDirect>(impl_, other.impl_);
        return *this;
    }
    ~AWidget() { facade::ReleaseShared<facade::DeleteDirect>(impl_); }

    bool IsValid() { return facade::Shielded<facade::ImplementationTest>::Test(impl_); }
    bool Poke() {
        return Waiting::Call(impl_, [](Widget* w) { return w->Poke(); });
    }
    PString Name() {
        return Quiet::Call(impl_, [](Widget* w) { return w->Name(); });
    }
    void Touch() {
        Plain::Call(impl_, [](Widget* w) { w->Touch(); });
    }
    Widget* Impl() const { return impl_; }

private:
    Widget* impl_ = nullptr;
};

// The waiting style (Poke) lets only termination through, the quiet style
// (Name) swallows everything; an invalid or throwing validity test gives the
// failure result without calling the implementation.
TEST(FacadeTest, BehaviourTable) {
    const struct {
        const char* what;
        bool null;
        Behaviour behaviour;
        bool valid, pokeThrows, poked;
        const char* name;
    } rows[] = {
        {"null", true, Behaviour::Normal, false, false, false, ""},
        {"normal", false, Behaviour::Normal, true, false, true, "widget"},
        {"invalid", false, Behaviour::Invalid, false, false, false, ""},
        {"validity throws", false, Behaviour::ThrowOther, false, false, false, ""},
        {"termination", false, Behaviour::ThrowTermination, true, true, false, ""},
        {"poke throws", false, Behaviour::PokeThrowsOther, true, false, false, "widget"},
    };
    for (const auto& row : rows) {
        Counters counters;
        AWidget widget(row.null ? nullptr : new Widget(row.behaviour, counters));
        EXPECT_EQ(row.valid, widget.IsValid()) << row.what;
        if (row.pokeThrows)
            EXPECT_THROW(widget.Poke(), ThreadTerminateException) << row.what;
        else
            EXPECT_EQ(row.poked, widget.Poke()) << row.what;
        EXPECT_EQ(row.name, widget.Name()) << row.what;
        widget.Touch();
        EXPECT_EQ(row.null ? 0 : 1, counters.touched) << row.what;
    }
}

// Copies share one object, destroyed once when the last goes; assigning
// one sharing group to another keeps both counts right.
TEST(FacadeTest, SharedImplementationIsDestroyedOnce) {
    Counters a, b;
    {
        AWidget a1(new Widget(Behaviour::Normal, a));
        AWidget a2(a1);
        EXPECT_EQ(a1.Impl(), a2.Impl());
        a2.Touch();
        a1.Touch();
        EXPECT_EQ(2, a.touched);
        AWidget b1(new Widget(Behaviour::Normal, b));
        a2 = b1;
        a2 = a2;
        EXPECT_EQ(0, a.destroyed);
        a1 = b1;
        EXPECT_EQ(1, a.destroyed);
        EXPECT_EQ(b1.Impl(), a1.Impl());
        AWidget b2(new Widget(Behaviour::Normal, b));
        b2 = a1; // gives up its own object
        EXPECT_EQ(1, b.destroyed);
    }
    EXPECT_EQ(1, a.destroyed);
    EXPECT_EQ(2, b.destroyed);
}

} // namespace
