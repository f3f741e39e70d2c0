// The facade building blocks, in a small facade of the same shape as the library's.
#include "foundation/platform/facade.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

using namespace REDudi;

namespace {

enum class Behaviour { Normal, Invalid, ThrowTermination, ThrowOther, PokeThrowsOther };

// The implementation behind the facade; notes each touch and its end in `log`.
class Widget {
public:
    Widget(Behaviour behaviour, std::string& log, char name = 'w')
        : behaviour_(behaviour), log_(log), name_(name) {}
    virtual ~Widget() { log_ += std::string("~") + name_; }
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
    void Touch() { log_ += name_; }

private:
    void Raise() {
        if (behaviour_ == Behaviour::ThrowTermination)
            throw ThreadTerminateException();
        if (behaviour_ == Behaviour::ThrowOther)
            throw std::logic_error("operation");
    }
    Behaviour behaviour_;
    std::string& log_;
    char name_;
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

private:
    Widget* impl_ = nullptr;
};

// Poke lets only termination through, Name swallows everything; an invalid or
// throwing validity test gives the failure result without a call.
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
        std::string log;
        AWidget widget(row.null ? nullptr : new Widget(row.behaviour, log));
        EXPECT_EQ(row.valid, widget.IsValid()) << row.what;
        if (row.pokeThrows)
            EXPECT_THROW(widget.Poke(), ThreadTerminateException) << row.what;
        else
            EXPECT_EQ(row.poked, widget.Poke()) << row.what;
        EXPECT_EQ(row.name, widget.Name()) << row.what;
        widget.Touch();
        EXPECT_EQ(row.null ? "" : "w", log) << row.what;
    }
}

// Copies share one object, destroyed once when the last sharer goes.
TEST(FacadeTest, SharedImplementationIsDestroyedOnce) {
    std::string log;
    {
        AWidget a1(new Widget(Behaviour::Normal, log, 'a')), a2(a1);
        AWidget b1(new Widget(Behaviour::Normal, log, 'b'));
        AWidget c(new Widget(Behaviour::Normal, log, 'c'));
        a2.Touch();
        a2 = b1;
        a2 = a2;
        a2.Touch();
        a1.Touch();
        a1 = b1;
        c = a1; // gives up its own object
        c.Touch();
        log += '|';
    }
    EXPECT_EQ("aba~a~cb|~b", log);
}

} // namespace
