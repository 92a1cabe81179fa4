#include "media/component_registry.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "media/graph_interfaces.h"
#include "media/known_ids.h"
#include "support/media_fakes/fake_filters.h"

namespace {

constexpr Guid kTestClass = makeGuid("{0BADF00D-0000-4000-8000-000000000001}");

IUnknown* makeSink() {
    return static_cast<IBaseFilter*>(
        new media_fakes::FakeSink(media_fakes::FakeSink::Options{}, nullptr, "sink"));
}

}  // namespace

TEST(ComponentRegistry, AnUnregisteredClassIsRefused) {
    void* object = &object;
    EXPECT_EQ(REGDB_E_CLASSNOTREG, CoCreateInstance(kTestClass, IBaseFilter::kIid, &object));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(E_POINTER, CoCreateInstance(kTestClass, IBaseFilter::kIid, nullptr));
}

TEST(ComponentRegistry, ARegisteredClassIsMadeUntilItIsUnregistered) {
    ASSERT_EQ(S_OK, registerComponentClass(kTestClass, makeSink));
    ComPtr<IBaseFilter> filter;
    ASSERT_EQ(S_OK, createInstance(kTestClass, &filter));
    ASSERT_TRUE(filter);

    EXPECT_EQ(S_FALSE, registerComponentClass(kTestClass, makeSink));  // replaces
    EXPECT_EQ(S_OK, unregisterComponentClass(kTestClass));
    EXPECT_EQ(S_FALSE, unregisterComponentClass(kTestClass));
    ComPtr<IBaseFilter> another;
    EXPECT_EQ(REGDB_E_CLASSNOTREG, createInstance(kTestClass, &another));
    EXPECT_FALSE(another);
    // What was made before lives on.
    ComPtr<IPin> pin;
    EXPECT_EQ(S_OK, filter->EnumPins(0, &pin));
}

TEST(ComponentRegistry, AMissingInterfaceOrObjectIsReported) {
    ASSERT_EQ(S_OK, registerComponentClass(kTestClass, makeSink));
    ComPtr<IGraphBuilder> wrong;
    EXPECT_EQ(E_NOINTERFACE, createInstance(kTestClass, &wrong));
    EXPECT_FALSE(wrong);

    ASSERT_EQ(S_FALSE, registerComponentClass(kTestClass, []() -> IUnknown* { return nullptr; }));
    ComPtr<IBaseFilter> none;
    EXPECT_EQ(E_OUTOFMEMORY, createInstance(kTestClass, &none));
    EXPECT_EQ(E_INVALIDARG, registerComponentClass(kTestClass, ComponentFactory{}));
    unregisterComponentClass(kTestClass);
}

TEST(ComponentRegistry, TheGraphManagerIsAlwaysThere) {
    ComPtr<IGraphBuilder> builder;
    ASSERT_EQ(S_OK, createInstance(CLSID_FilterGraph, &builder));
    ComPtr<IMediaControl> control = builder.as<IMediaControl>();
    ASSERT_TRUE(control);
    EXPECT_EQ(S_OK, control->Stop()) << "a graph with no filters stops at once";
}

TEST(ComponentRegistry, InitialisationIsCounted) {
    const HRESULT first = CoInitialize();
    EXPECT_TRUE(first == S_OK || first == S_FALSE);
    EXPECT_EQ(S_FALSE, CoInitialize());
    CoUninitialize();
    CoUninitialize();
}

TEST(ComponentRegistry, ClassesAreRegisteredAndMadeFromManyThreads) {
    std::atomic<int> made{0};
    std::vector<std::thread> threads;
    for (int thread = 0; thread < 4; ++thread) {
        threads.emplace_back([thread, &made] {
            const Guid clsid{
                0x0BADF00Du, 0x1000, static_cast<std::uint16_t>(thread), {1, 2, 3, 4, 5, 6, 7, 8}};
            for (int round = 0; round < 50; ++round) {
                registerComponentClass(clsid, makeSink);
                ComPtr<IBaseFilter> filter;
                if (createInstance(clsid, &filter) == S_OK) ++made;
                ComPtr<IGraphBuilder> graph;
                if (createInstance(CLSID_FilterGraph, &graph) == S_OK) ++made;
                unregisterComponentClass(clsid);
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(4 * 50 * 2, made.load());
}
