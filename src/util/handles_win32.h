// Owning wrappers for Win32 handles and COM interfaces (Win32 build only).
//
// UniqueHandle<Traits> owns one handle: move-only, closes what it holds on destruction and
// before taking another; the empty state is Traits::invalid(). Traits supply the handle type,
// its empty value and how to close it. ComPtr<T> owns one COM reference. ComInitGuard pairs
// CoInitialize/OleInitialize with their uninitialisation on the same thread.
#ifndef VELUMAR_UTIL_HANDLES_WIN32_H
#define VELUMAR_UTIL_HANDLES_WIN32_H

#include <windows.h>
#include <ole2.h>

#include <utility>

#include "util/system_calls_win32.h"

namespace velumar {

template <typename Traits>
class UniqueHandle {
  public:
    using pointer = typename Traits::pointer;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(pointer handle) noexcept : handle_(handle) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    pointer get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != Traits::invalid(); }

    // Gives up ownership without closing.
    pointer release() noexcept { return std::exchange(handle_, Traits::invalid()); }

    // Closes what is held, then owns handle.
    void reset(pointer handle = Traits::invalid()) noexcept {
        const pointer old = std::exchange(handle_, handle);
        if (old != Traits::invalid()) Traits::close(old);
    }

    // For out-parameters (RegOpenKeyExA and the like): closes what is held first.
    pointer* put() noexcept {
        reset();
        return &handle_;
    }

  private:
    pointer handle_ = Traits::invalid();
};

// CreateFile results: empty is INVALID_HANDLE_VALUE.
struct FileHandleTraits {
    using pointer = HANDLE;
    static pointer invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(pointer h) noexcept { ::CloseHandle(h); }
};

// Processes, threads, events and other kernel objects whose empty value is NULL.
struct KernelHandleTraits {
    using pointer = HANDLE;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer h) noexcept { ::CloseHandle(h); }
};

struct FindHandleTraits {
    using pointer = HANDLE;
    static pointer invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(pointer h) noexcept { ::FindClose(h); }
};

struct RegistryKeyTraits {
    using pointer = HKEY;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer h) noexcept { ::RegCloseKey(h); }
};

struct ModuleTraits {
    using pointer = HMODULE;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer h) noexcept { ::FreeLibrary(h); }
};

template <typename GdiHandle>
struct GdiObjectTraits {
    using pointer = GdiHandle;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer h) noexcept { ::DeleteObject(h); }
};

struct MemoryDcTraits {
    using pointer = HDC;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer h) noexcept { ::DeleteDC(h); }
};

struct IconTraits {
    using pointer = HICON;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer h) noexcept { ::DestroyIcon(h); }
};

struct WindowsHookTraits {
    using pointer = HHOOK;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer h) noexcept { ::UnhookWindowsHookEx(h); }
};

// GetProcAddress typed as the function it is. The detour through void* keeps GCC's
// -Wcast-function-type quiet about FARPROC, which has no real signature.
template <typename Function>
Function procAddress(HMODULE module, const char* name) noexcept {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

using FileHandle = UniqueHandle<FileHandleTraits>;
using KernelHandle = UniqueHandle<KernelHandleTraits>;
using FindHandle = UniqueHandle<FindHandleTraits>;
using RegistryKey = UniqueHandle<RegistryKeyTraits>;
using Module = UniqueHandle<ModuleTraits>;
template <typename GdiHandle>
using GdiObject = UniqueHandle<GdiObjectTraits<GdiHandle>>;
using Icon = UniqueHandle<IconTraits>;
using MemoryDc = UniqueHandle<MemoryDcTraits>;  // from CreateCompatibleDC
using WindowsHook = UniqueHandle<WindowsHookTraits>;

// One COM reference. Copies AddRef, moves transfer, destruction releases.
template <typename T>
class ComPtr {
  public:
    ComPtr() noexcept = default;
    ComPtr(std::nullptr_t) noexcept {}
    ~ComPtr() { reset(); }

    ComPtr(const ComPtr& other) noexcept : ptr_(other.ptr_) {
        if (ptr_) ptr_->AddRef();
    }
    ComPtr& operator=(const ComPtr& other) noexcept {
        ComPtr copy(other);
        swap(copy);
        return *this;
    }
    ComPtr(ComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        ComPtr moved(std::move(other));
        swap(moved);
        return *this;
    }

    // Takes over a reference the caller already owns (no AddRef).
    static ComPtr attach(T* ptr) noexcept {
        ComPtr result;
        result.ptr_ = ptr;
        return result;
    }

    T* get() const noexcept { return ptr_; }
    T* operator->() const noexcept { return ptr_; }
    explicit operator bool() const noexcept { return ptr_ != nullptr; }

    // Gives up the reference without releasing it.
    T* detach() noexcept { return std::exchange(ptr_, nullptr); }

    void reset() noexcept {
        if (T* old = std::exchange(ptr_, nullptr)) old->Release();
    }

    // For out-parameters (CoCreateInstance, QueryInterface): releases what is held first.
    T** put() noexcept {
        reset();
        return &ptr_;
    }
    void** putVoid() noexcept { return reinterpret_cast<void**>(put()); }

    // QueryInterface for the interface iid into out.
    template <typename U>
    HRESULT queryInterface(REFIID iid, ComPtr<U>& out) const noexcept {
        if (!ptr_) return E_POINTER;
        return ptr_->QueryInterface(iid, out.putVoid());
    }

    // QueryInterface for U's own interface id (U must have one, as the SDK's interfaces do).
    template <typename U>
    HRESULT as(ComPtr<U>& out) const noexcept {
        return queryInterface(__uuidof(U), out);
    }

    void swap(ComPtr& other) noexcept { std::swap(ptr_, other.ptr_); }

  private:
    T* ptr_ = nullptr;
};

// Initialises COM (or OLE, which ActiveX hosting needs) for the calling thread and undoes it
// when it goes out of scope, but only when the initialisation succeeded.
class ComInitGuard {
  public:
    enum class Mode { Com, Ole };

    explicit ComInitGuard(Mode mode = Mode::Com) noexcept
        : mode_(mode), result_(mode == Mode::Ole ? sys::oleInitialize() : sys::coInitialize()) {}
    ~ComInitGuard() {
        if (!SUCCEEDED(result_)) return;
        if (mode_ == Mode::Ole)
            sys::oleUninitialize();
        else
            sys::coUninitialize();
    }

    ComInitGuard(const ComInitGuard&) = delete;
    ComInitGuard& operator=(const ComInitGuard&) = delete;

    bool succeeded() const noexcept { return SUCCEEDED(result_); }
    HRESULT result() const noexcept { return result_; }

  private:
    Mode mode_;
    HRESULT result_;
};

}  // namespace velumar

#endif
