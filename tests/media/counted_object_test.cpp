#include <gtest/gtest.h>

#include "media/com_ptr.h"
#include "media/unknown.h"

namespace {

constexpr Guid kIidGreeting = makeGuid("{11111111-2222-3333-4444-555555555555}");
constexpr Guid kIidOther = makeGuid("{66666666-7777-8888-9999-AAAAAAAAAAAA}");

struct IGreeting : virtual IUnknown {
    static constexpr Guid kIid = kIidGreeting;
    virtual int greet() = 0;
};

struct IOther : virtual IUnknown {
    static constexpr Guid kIid = kIidOther;
};

class Greeter final : public CUnknown, public IGreeting {
public:
    explicit Greeter(int* destroyed) : destroyed_(destroyed) {}
    ~Greeter() override { ++*destroyed_; }
    int greet() override { return 42; }

protected:
    HRESULT NonDelegatingQueryInterface(const Guid& iid, void** object) override {
        if (iid == IGreeting::kIid) return returnInterface(static_cast<IGreeting*>(this), object);
        return CUnknown::NonDelegatingQueryInterface(iid, object);
    }

private:
    int* destroyed_;
};

// A part whose count is its owner's, as a pin's is its filter's.
class Part final : public CUnknown {
public:
    explicit Part(IUnknown* owner) : CUnknown(owner) {}
};

}  // namespace

TEST(CountedObject, TheLastReleaseDeletesTheObject) {
    int destroyed = 0;
    {
        ComPtr<Greeter> first = makeComObject<Greeter>(&destroyed);
        ASSERT_TRUE(first);
        ComPtr<Greeter> second = first;
        EXPECT_EQ(3u, first->AddRef());
        EXPECT_EQ(2u, first->Release());
        first.reset();
        EXPECT_EQ(0, destroyed);
        ComPtr<Greeter> moved = std::move(second);
        EXPECT_FALSE(second);
        EXPECT_EQ(0, destroyed);
    }
    EXPECT_EQ(1, destroyed);
}

TEST(CountedObject, QueryInterfaceAddsAReferenceOnlyOnSuccess) {
    int destroyed = 0;
    ComPtr<Greeter> greeter = makeComObject<Greeter>(&destroyed);
    ComPtr<IGreeting> greeting;
    ASSERT_EQ(S_OK, queryInterface(greeter.get(), &greeting));
    EXPECT_EQ(42, greeting->greet());

    void* raw = &destroyed;
    EXPECT_EQ(E_NOINTERFACE, greeter->QueryInterface(IOther::kIid, &raw));
    EXPECT_EQ(nullptr, raw);
    EXPECT_EQ(E_POINTER, greeter->QueryInterface(IOther::kIid, nullptr));
    EXPECT_FALSE(greeter.as<IOther>());

    // One object, one identity: both routes give the same IUnknown.
    ComPtr<IUnknown> fromGreeter = greeter.as<IUnknown>();
    ComPtr<IUnknown> fromGreeting = greeting.as<IUnknown>();
    EXPECT_EQ(fromGreeter.get(), fromGreeting.get());

    greeter.reset();
    EXPECT_EQ(0, destroyed);
    fromGreeter.reset();
    fromGreeting.reset();
    greeting.reset();
    EXPECT_EQ(1, destroyed);
}

TEST(CountedObject, APartSharesItsOwnersCount) {
    int destroyed = 0;
    ComPtr<Greeter> owner = makeComObject<Greeter>(&destroyed);
    {
        Part part(owner.get());
        ComPtr<IUnknown> hold(static_cast<IUnknown*>(static_cast<CUnknown*>(&part)));
        owner.reset();
        // The part's reference keeps the owner alive.
        EXPECT_EQ(0, destroyed);
        hold.reset();
        EXPECT_EQ(1, destroyed);
    }
}
