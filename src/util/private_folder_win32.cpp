#include "util/private_folder_win32.h"

#include "util/created_files.h"
#include "util/handles_win32.h"

namespace velumar {

namespace {

// Resolved at run time: Windows 95, 98 and ME lack most of them or export stubs that fail.
using OpenProcessTokenFunction = BOOL(WINAPI*)(HANDLE, DWORD, PHANDLE);
using GetTokenInformationFunction = BOOL(WINAPI*)(HANDLE, TOKEN_INFORMATION_CLASS, LPVOID, DWORD,
                                                  PDWORD);
using GetLengthSidFunction = DWORD(WINAPI*)(PSID);
using InitializeAclFunction = BOOL(WINAPI*)(PACL, DWORD, DWORD);
using AddAccessAllowedAceExFunction = BOOL(WINAPI*)(PACL, DWORD, DWORD, DWORD, PSID);
using AddAccessAllowedAceFunction = BOOL(WINAPI*)(PACL, DWORD, DWORD, PSID);
using InitializeSecurityDescriptorFunction = BOOL(WINAPI*)(PSECURITY_DESCRIPTOR, DWORD);
using SetSecurityDescriptorDaclFunction = BOOL(WINAPI*)(PSECURITY_DESCRIPTOR, BOOL, PACL, BOOL);
using SetSecurityDescriptorControlFunction = BOOL(WINAPI*)(PSECURITY_DESCRIPTOR,
                                                           SECURITY_DESCRIPTOR_CONTROL,
                                                           SECURITY_DESCRIPTOR_CONTROL);
using RandomFunction = BOOLEAN(WINAPI*)(PVOID, ULONG);

// The two well-known SIDs, in the layout of a SID: revision 1, NT authority (5).
struct WellKnownSid {
    BYTE revision;
    BYTE subAuthorityCount;
    BYTE authority[6];
    DWORD subAuthority[2];
};
WellKnownSid gSystem = {1, 1, {0, 0, 0, 0, 0, 5}, {SECURITY_LOCAL_SYSTEM_RID, 0}};
WellKnownSid gAdministrators = {
    1, 2, {0, 0, 0, 0, 0, 5}, {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS}};

HMODULE advapi32() {
    return ::GetModuleHandleA("advapi32.dll");
}

bool isWindowsNt() {
    return (::GetVersion() & 0x80000000u) == 0;
}

}  // namespace

unsigned long unguessableValue() {
    static unsigned long calls = 0;
    unsigned long parts[10] = {};
    LARGE_INTEGER counter{};
    ::QueryPerformanceCounter(&counter);
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    parts[0] = counter.LowPart;
    parts[1] = static_cast<unsigned long>(counter.HighPart);
    parts[2] = now.dwLowDateTime;
    parts[3] = now.dwHighDateTime;
    parts[4] = ::GetTickCount();
    parts[5] = ::GetCurrentProcessId();
    parts[6] = ::GetCurrentThreadId();
    parts[7] = static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(&counter));
    parts[8] = ++calls;
    if (const auto random = procAddress<RandomFunction>(advapi32(), "SystemFunction036")) {
        unsigned long bytes = 0;
        if (random(&bytes, sizeof bytes)) parts[9] = bytes;
    }
    return mixedValue(parts, 10);
}

PrivateFolderSecurity::PrivateFolderSecurity() {
    ready_ = isWindowsNt() && build();
}

bool PrivateFolderSecurity::build() {
    const HMODULE library = advapi32();
    const auto openToken = procAddress<OpenProcessTokenFunction>(library, "OpenProcessToken");
    const auto tokenInformation =
        procAddress<GetTokenInformationFunction>(library, "GetTokenInformation");
    const auto lengthOfSid = procAddress<GetLengthSidFunction>(library, "GetLengthSid");
    const auto initializeAcl = procAddress<InitializeAclFunction>(library, "InitializeAcl");
    const auto addAceEx =
        procAddress<AddAccessAllowedAceExFunction>(library, "AddAccessAllowedAceEx");
    const auto addAce = procAddress<AddAccessAllowedAceFunction>(library, "AddAccessAllowedAce");
    const auto initializeDescriptor =
        procAddress<InitializeSecurityDescriptorFunction>(library, "InitializeSecurityDescriptor");
    const auto setDacl =
        procAddress<SetSecurityDescriptorDaclFunction>(library, "SetSecurityDescriptorDacl");
    const auto setControl =
        procAddress<SetSecurityDescriptorControlFunction>(library, "SetSecurityDescriptorControl");
    if (!openToken || !tokenInformation || !lengthOfSid || !initializeAcl ||
        !(addAceEx || addAce) || !initializeDescriptor || !setDacl)
        return false;

    HANDLE opened = nullptr;
    if (!openToken(::GetCurrentProcess(), TOKEN_QUERY, &opened)) return false;
    const KernelHandle token(opened);
    DWORD needed = 0;
    tokenInformation(token.get(), TokenUser, nullptr, 0, &needed);
    if (needed == 0) return false;
    user_.resize(needed);
    if (!tokenInformation(token.get(), TokenUser, user_.data(), needed, &needed)) return false;
    const PSID user = reinterpret_cast<TOKEN_USER*>(user_.data())->User.Sid;

    const PSID sids[] = {user, &gAdministrators, &gSystem};
    DWORD size = sizeof(ACL);
    for (const PSID sid : sids)
        size += sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + lengthOfSid(sid);
    acl_.assign(size, 0);
    const PACL acl = reinterpret_cast<PACL>(acl_.data());
    if (!initializeAcl(acl, size, ACL_REVISION)) return false;
    // Inherited by what is made inside (2000 and XP); NT 4 has no inheritance flags to give.
    constexpr DWORD kInherited = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
    for (const PSID sid : sids) {
        const BOOL added = addAceEx ? addAceEx(acl, ACL_REVISION, kInherited, FILE_ALL_ACCESS, sid)
                                    : addAce(acl, ACL_REVISION, FILE_ALL_ACCESS, sid);
        if (!added) return false;
    }
    if (!initializeDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) ||
        !setDacl(&descriptor_, TRUE, acl, FALSE))
        return false;
    // Not widened by TEMP's own inheritable permissions (2000 and XP).
    if (setControl) setControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
    attributes_.nLength = sizeof attributes_;
    attributes_.lpSecurityDescriptor = &descriptor_;
    attributes_.bInheritHandle = FALSE;
    return true;
}

}  // namespace velumar
