// Registration of a stand-in in-process COM server for the length of a test (Win32 tests only).
#ifndef VELUMAR_TESTS_UTIL_STANDIN_REGISTRATION_WIN32_H
#define VELUMAR_TESTS_UTIL_STANDIN_REGISTRATION_WIN32_H

#include <windows.h>
#include <shlwapi.h>

#include <optional>
#include <string>
#include <vector>

namespace velumar::testing {

// Registers a stand-in in-process server under a class id in one root's classes for its
// lifetime: the class key's in-process server and threading model as they were are put back
// afterwards, and keys that were not there before are removed.
class StandInServerRegistration {
  public:
    StandInServerRegistration(HKEY root, const std::string& classId, const std::string& library)
        : root_(root),
          classKey_("Software\\Classes\\CLSID\\" + classId),
          serverKey_(classKey_ + "\\InprocServer32") {
        hadClassKey_ = keyExists(root_, classKey_.c_str());
        hadServerKey_ = keyExists(root_, serverKey_.c_str());
        if (hadServerKey_) {
            savedPath_ = readRaw(nullptr);
            savedModel_ = readRaw("ThreadingModel");
        }
        HKEY key = nullptr;
        if (::RegCreateKeyExA(root_, serverKey_.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                              nullptr) != ERROR_SUCCESS) {
            return;
        }
        const std::string model = "Apartment";
        registered_ = ::RegSetValueExA(key, nullptr, 0, REG_SZ,
                                       reinterpret_cast<const BYTE*>(library.c_str()),
                                       static_cast<DWORD>(library.size() + 1)) == ERROR_SUCCESS &&
                      ::RegSetValueExA(key, "ThreadingModel", 0, REG_SZ,
                                       reinterpret_cast<const BYTE*>(model.c_str()),
                                       static_cast<DWORD>(model.size() + 1)) == ERROR_SUCCESS;
        ::RegCloseKey(key);
    }
    StandInServerRegistration(const StandInServerRegistration&) = delete;
    StandInServerRegistration& operator=(const StandInServerRegistration&) = delete;

    ~StandInServerRegistration() {
        if (!hadClassKey_) {
            ::SHDeleteKeyA(root_, classKey_.c_str());
            return;
        }
        if (!hadServerKey_) {
            ::SHDeleteKeyA(root_, serverKey_.c_str());
            return;
        }
        HKEY key = nullptr;
        if (::RegOpenKeyExA(root_, serverKey_.c_str(), 0, KEY_WRITE, &key) != ERROR_SUCCESS) {
            return;
        }
        restore(key, nullptr, savedPath_);
        restore(key, "ThreadingModel", savedModel_);
        ::RegCloseKey(key);
    }

    bool registered() const { return registered_; }

  private:
    struct RawValue {
        DWORD type = REG_NONE;
        std::vector<BYTE> bytes;
    };

    std::optional<RawValue> readRaw(const char* name) {
        DWORD type = 0;
        DWORD size = 0;
        if (::RegGetValueA(root_, serverKey_.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type,
                           nullptr, &size) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        RawValue value{type, std::vector<BYTE>(size)};
        if (::RegGetValueA(root_, serverKey_.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type,
                           value.bytes.data(), &size) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        value.bytes.resize(size);
        return value;
    }

    static void restore(HKEY key, const char* name, const std::optional<RawValue>& value) {
        if (!value) {
            ::RegDeleteValueA(key, name);
            return;
        }
        ::RegSetValueExA(key, name, 0, value->type, value->bytes.data(),
                         static_cast<DWORD>(value->bytes.size()));
    }

    static bool keyExists(HKEY root, const char* path) {
        HKEY key = nullptr;
        if (::RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
        ::RegCloseKey(key);
        return true;
    }

    HKEY root_;
    std::string classKey_;
    std::string serverKey_;
    bool hadClassKey_ = false;
    bool hadServerKey_ = false;
    std::optional<RawValue> savedPath_;
    std::optional<RawValue> savedModel_;
    bool registered_ = false;
};

}  // namespace velumar::testing

#endif
