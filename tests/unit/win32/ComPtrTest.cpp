// Reference counting of our COM pointer on a counting object of our own; the
// apartment scope on fresh threads.
#include <gtest/gtest.h>
#include <objidl.h>

#include <thread>
#include <utility>

#include "platform/win32/kit/Com.h"

namespace {

using velmora::win32::ComPtr;
using velmora::win32::OleApartment;

// Counts its references; answers IUnknown and IPersist (as a second interface to query).
class Counted final : public IPersist {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IPersist)) {
            *object = static_cast<IPersist*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* id) override {
        *id = CLSID_NULL;
        return S_OK;
    }

    ULONG references = 1;  // the creator's
};

TEST(ComPtrTest, CopiesAddAReferenceAndMovesHandItOver) {
    Counted object;
    {
        ComPtr<IUnknown> first(&object);
        EXPECT_EQ(object.references, 2u);
        ComPtr<IUnknown> copy = first;
        EXPECT_EQ(object.references, 3u);
        ComPtr<IUnknown> moved = std::move(copy);
        EXPECT_EQ(object.references, 3u);
        EXPECT_FALSE(copy);
        EXPECT_EQ(moved.Get(), first.Get());
        copy = moved;  // copy-assign into an empty pointer
        EXPECT_EQ(object.references, 4u);
        copy = copy;  // self-assignment keeps the count
        EXPECT_EQ(object.references, 4u);
        moved = nullptr;
        EXPECT_EQ(object.references, 3u);
    }
    EXPECT_EQ(object.references, 1u);
}

TEST(ComPtrTest, AdoptTakesOverTheCallersReferenceAndDetachGivesItBack) {
    Counted object;
    object.AddRef();  // as a creation function hands one out
    {
        auto adopted = ComPtr<IUnknown>::Adopt(&object);
        EXPECT_EQ(object.references, 2u);
    }
    EXPECT_EQ(object.references, 1u);

    auto kept = ComPtr<IUnknown>(&object);
    IUnknown* raw = kept.Detach();
    EXPECT_FALSE(kept);
    EXPECT_EQ(object.references, 2u);
    raw->Release();
}

TEST(ComPtrTest, PutReleasesWhatWasHeldBeforeTheSlotIsFilled) {
    Counted first;
    Counted second;
    ComPtr<IUnknown> pointer(&first);
    IUnknown** slot = pointer.Put();
    EXPECT_EQ(first.references, 1u);
    EXPECT_EQ(*slot, nullptr);
    second.QueryInterface(IID_IUnknown, reinterpret_cast<void**>(slot));
    EXPECT_EQ(pointer.Get(), static_cast<IUnknown*>(&second));
    pointer.Reset();
    EXPECT_EQ(second.references, 1u);
}

TEST(ComPtrTest, AsQueriesAndIsEmptyForAMissingInterface) {
    Counted object;
    const ComPtr<IUnknown> unknown(&object);
    {
        const auto persist = unknown.As<IPersist>();
        ASSERT_TRUE(persist);
        EXPECT_EQ(object.references, 3u);
        CLSID id{};
        EXPECT_EQ(persist->GetClassID(&id), S_OK);
    }
    EXPECT_EQ(object.references, 2u);
    EXPECT_FALSE(unknown.As<IStream>());
    EXPECT_EQ(object.references, 2u);
    EXPECT_FALSE(ComPtr<IUnknown>().As<IPersist>());
}

TEST(OleApartmentTest, JoinsAFreshThreadAndRefusesOneInTheMultiThreadedApartment) {
    bool fresh = false;
    bool nested = false;
    std::thread([&] {
        OleApartment outer;
        OleApartment inner;
        fresh = outer.Joined();
        nested = inner.Joined();
    }).join();
    EXPECT_TRUE(fresh);
    EXPECT_TRUE(nested);

    bool joined = true;
    std::thread([&] {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        {
            OleApartment apartment;
            joined = apartment.Joined();
        }
        CoUninitialize();
    }).join();
    EXPECT_FALSE(joined);
}

}  // namespace
