#include <windows.h>

#include <gtest/gtest.h>

#include <utility>

#include "scratch_folder_win32.h"
#include "util/handles_win32.h"

namespace velumar {
namespace {

bool isOpen(HANDLE handle) {
    DWORD flags = 0;
    return ::GetHandleInformation(handle, &flags) != 0;
}

KernelHandle makeEvent() {
    return KernelHandle(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
}

TEST(UniqueHandle, ClosesOnDestructionAndMovesOwnership) {
    HANDLE raw = nullptr;
    {
        KernelHandle event = makeEvent();
        ASSERT_TRUE(event);
        raw = event.get();
        KernelHandle moved(std::move(event));
        EXPECT_FALSE(event);
        EXPECT_EQ(moved.get(), raw);
        EXPECT_TRUE(isOpen(raw));
    }
    EXPECT_FALSE(isOpen(raw));
}

TEST(UniqueHandle, MoveAssignmentClosesWhatWasHeld) {
    KernelHandle first = makeEvent();
    KernelHandle second = makeEvent();
    const HANDLE firstRaw = first.get();
    const HANDLE secondRaw = second.get();
    first = std::move(second);
    EXPECT_FALSE(isOpen(firstRaw));
    EXPECT_EQ(first.get(), secondRaw);
    HANDLE released = first.release();
    EXPECT_FALSE(first);
    EXPECT_TRUE(isOpen(released));
    ::CloseHandle(released);
}

TEST(UniqueHandle, FileHandleEmptyIsInvalidHandleValue) {
    testing::ScratchFolder scratch;
    FileHandle missing(::CreateFileA((scratch / "none\\x").c_str(), GENERIC_READ, 0, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(missing);
    EXPECT_EQ(missing.get(), INVALID_HANDLE_VALUE);
    FindHandle find;
    EXPECT_FALSE(find);
}

// A COM object that only counts its references.
class Counted : public IUnknown {
  public:
    ULONG references = 1;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid != IID_IUnknown) {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        *out = this;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
};

TEST(ComPtr, CountsReferences) {
    Counted object;
    {
        auto owner = ComPtr<IUnknown>::attach(&object);
        EXPECT_EQ(object.references, 1u);
        ComPtr<IUnknown> copy = owner;
        EXPECT_EQ(object.references, 2u);
        ComPtr<IUnknown> moved = std::move(copy);
        EXPECT_EQ(object.references, 2u);
        EXPECT_FALSE(copy);
        ComPtr<IUnknown> queried;
        EXPECT_EQ(owner.queryInterface(IID_IUnknown, queried), S_OK);
        EXPECT_EQ(object.references, 3u);
        queried.put();
        EXPECT_EQ(object.references, 2u);
        ComPtr<IUnknown> same;
        EXPECT_EQ(owner.as(same), S_OK);
        EXPECT_EQ(object.references, 3u);
        ComPtr<IClassFactory> other;
        EXPECT_EQ(owner.as(other), E_NOINTERFACE);
        EXPECT_FALSE(other);
    }
    EXPECT_EQ(object.references, 0u);
}

TEST(ComInitGuard, InitialisesAndNests) {
    ComInitGuard outer;
    EXPECT_TRUE(outer.succeeded());
    ComInitGuard inner;
    EXPECT_EQ(inner.result(), S_FALSE);
    EXPECT_TRUE(inner.succeeded());
}

}  // namespace
}  // namespace velumar
