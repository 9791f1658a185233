#include "tools/dlcpeer/MachineProbes.h"

#include "framework/SystemFunction.h"
#include "framework/SystemVersion.h"

#include <aclapi.h>
#include <sddl.h>

#include <cstddef>

namespace peerkit
{
namespace probes
{
namespace
{
constexpr const char* kLowIntegritySid = "S-1-16-4096";

// The last sub-authority of a mandatory label's SID is its level.
std::optional<DWORD> LevelOfSid(PSID sid)
{
    if (!sid || !::IsValidSid(sid) || *::GetSidSubAuthorityCount(sid) == 0)
        return std::nullopt;
    return *::GetSidSubAuthority(sid, *::GetSidSubAuthorityCount(sid) - 1u);
}

std::optional<DWORD> LevelOfLabelList(const ACL* sacl)
{
    DWORD level = SECURITY_MANDATORY_MEDIUM_RID;
    for (WORD i = 0; sacl && i < sacl->AceCount; ++i)
    {
        void* ace = nullptr;
        if (!::GetAce(const_cast<ACL*>(sacl), i, &ace) ||
            static_cast<ACE_HEADER*>(ace)->AceType != SYSTEM_MANDATORY_LABEL_ACE_TYPE)
            continue;
        std::optional<DWORD> found = LevelOfSid(&static_cast<SYSTEM_MANDATORY_LABEL_ACE*>(ace)->SidStart);
        if (!found)
            return std::nullopt;
        level = *found;
    }
    return level;
}

// A name inside the image, ending within it.
std::string TextAt(const BYTE* base, DWORD imageSize, DWORD rva)
{
    if (rva >= imageSize)
        return std::string();
    const char* text = reinterpret_cast<const char*>(base + rva);
    std::size_t length = 0;
    while (rva + length < imageSize && text[length])
        ++length;
    return std::string(text, rva + length < imageSize ? length : 0);
}

bool ImportPresent(HMODULE library, const IMAGE_THUNK_DATA& entry, const std::string& name)
{
    if (!library)
        return false;
    if (IMAGE_SNAP_BY_ORDINAL(entry.u1.Ordinal))
        return ::GetProcAddress(library, MAKEINTRESOURCEA(IMAGE_ORDINAL(entry.u1.Ordinal))) != nullptr;
    return ::GetProcAddress(library, name.c_str()) != nullptr;
}

// The missing functions of one imported DLL, read from the unresolved import names.
void AddMissingOfDll(const BYTE* base, DWORD imageSize, const IMAGE_IMPORT_DESCRIPTOR& import,
                     std::vector<std::string>& missing)
{
    const std::string dll = TextAt(base, imageSize, import.Name);
    CLibrary library(::LoadLibraryA(dll.c_str()));
    const DWORD names = import.OriginalFirstThunk ? import.OriginalFirstThunk : import.FirstThunk;
    for (DWORD at = names; at < imageSize && sizeof(IMAGE_THUNK_DATA) <= imageSize - at; at += sizeof(IMAGE_THUNK_DATA))
    {
        const auto& entry = *reinterpret_cast<const IMAGE_THUNK_DATA*>(base + at);
        if (!entry.u1.AddressOfData)
            break;
        std::string name = IMAGE_SNAP_BY_ORDINAL(entry.u1.Ordinal)
                               ? "#" + std::to_string(IMAGE_ORDINAL(entry.u1.Ordinal))
                               : TextAt(base, imageSize,
                                        static_cast<DWORD>(entry.u1.AddressOfData + offsetof(IMAGE_IMPORT_BY_NAME, Name)));
        if (!ImportPresent(library.Get(), entry, name))
            missing.push_back(dll + "!" + name);
    }
}

template <class T> const T* At(const BYTE* base, DWORD imageSize, DWORD rva)
{
    return rva < imageSize && sizeof(T) <= imageSize - rva ? reinterpret_cast<const T*>(base + rva) : nullptr;
}
} // namespace

bool IsWine()
{
    using WineVersionFn = const char*(CDECL*)();
    return LoadedSystemFunction<WineVersionFn>("ntdll.dll", "wine_get_version") != nullptr;
}

bool HasIntegrityLevels()
{
    return IsVistaOrLaterSystem() && !IsWine();
}

std::optional<DWORD> IntegrityOf(const std::string& path)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    PACL sacl = nullptr;
    if (::GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, LABEL_SECURITY_INFORMATION, nullptr, nullptr, nullptr,
                                &sacl, &descriptor) != ERROR_SUCCESS)
        return std::nullopt;
    std::optional<DWORD> level = LevelOfLabelList(sacl);
    ::LocalFree(descriptor);
    return level;
}

std::string DaclText(const std::string& path)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr,
                                nullptr, &descriptor) != ERROR_SUCCESS)
        return "unreadable";
    char* text = nullptr;
    std::string copy = "unreadable";
    if (::ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION,
                                                               &text, nullptr))
        copy = text;
    ::LocalFree(text);
    ::LocalFree(descriptor);
    return copy;
}

bool HasFolderDacl(const std::string& path)
{
    const std::string probe = path + ".dacl-" + std::to_string(::GetCurrentProcessId()) + "-" +
                              std::to_string(::GetTickCount());
    CFileHandle created(::CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    if (!created)
        return false;
    created.Reset();
    const std::string expected = DaclText(probe);
    ::DeleteFileA(probe.c_str());
    return expected != "unreadable" && DaclText(path) == expected;
}

std::optional<std::vector<std::string>> MissingImports(const std::string& exe)
{
    // Mapped as an image, every RVA is an offset from the base; nothing is resolved or run.
    CLibrary image(::LoadLibraryExA(exe.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES));
    if (!image)
        return std::nullopt;
    const BYTE* base = reinterpret_cast<const BYTE*>(image.Get());
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = dos->e_magic == IMAGE_DOS_SIGNATURE
                         ? reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew)
                         : nullptr;
    if (!nt || nt->Signature != IMAGE_NT_SIGNATURE || nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR_MAGIC)
        return std::nullopt;
    const DWORD imageSize = nt->OptionalHeader.SizeOfImage;
    std::vector<std::string> missing;
    DWORD at = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (const IMAGE_IMPORT_DESCRIPTOR* import = nullptr;
         at && (import = At<IMAGE_IMPORT_DESCRIPTOR>(base, imageSize, at)) != nullptr && import->Name;
         at += sizeof(IMAGE_IMPORT_DESCRIPTOR))
        AddMissingOfDll(base, imageSize, *import, missing);
    return missing;
}

CHandle StartAtLowIntegrity(const std::string& program, std::string commandLine, HANDLE output)
{
    CHandle own;
    CHandle low;
    if (!::OpenProcessToken(::GetCurrentProcess(),
                            TOKEN_DUPLICATE | TOKEN_ADJUST_DEFAULT | TOKEN_QUERY | TOKEN_ASSIGN_PRIMARY, own.Put()) ||
        !::DuplicateTokenEx(own.Get(), 0, nullptr, SecurityImpersonation, TokenPrimary, low.Put()))
        return CHandle();
    PSID lowSid = nullptr;
    if (!::ConvertStringSidToSidA(kLowIntegritySid, &lowSid))
        return CHandle();
    TOKEN_MANDATORY_LABEL label = {};
    label.Label.Attributes = SE_GROUP_INTEGRITY;
    label.Label.Sid = lowSid;
    const BOOL lowered = ::SetTokenInformation(low.Get(), TokenIntegrityLevel, &label,
                                               static_cast<DWORD>(sizeof label + ::GetLengthSid(lowSid)));
    ::LocalFree(lowSid);
    if (!lowered)
        return CHandle();
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = output;
    PROCESS_INFORMATION started = {};
    if (!::CreateProcessAsUserA(low.Get(), program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                                nullptr, &startup, &started))
        return CHandle();
    ::CloseHandle(started.hThread);
    return CHandle(started.hProcess);
}

std::optional<DWORD> OwnIntegrity()
{
    CHandle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.Put()))
        return std::nullopt;
    DWORD size = 0;
    ::GetTokenInformation(token.Get(), TokenIntegrityLevel, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    if (size < sizeof(TOKEN_MANDATORY_LABEL) ||
        !::GetTokenInformation(token.Get(), TokenIntegrityLevel, buffer.data(), size, &size))
        return std::nullopt;
    return LevelOfSid(reinterpret_cast<TOKEN_MANDATORY_LABEL*>(buffer.data())->Label.Sid);
}
} // namespace probes
} // namespace peerkit
