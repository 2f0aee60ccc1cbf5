#include "platform/MachineLogKey.h"

#include "platform/UniqueHandle.h"
#include "platform/win32.h"

#include <aclapi.h>
#include <bcrypt.h>
#include <sddl.h>

namespace {

constexpr char kParent[] = "SOFTWARE\\Tarnwick";
constexpr char kKeyName[] = "LogKey";
constexpr char kPath[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Tarnwick\\LogKey";
constexpr char kValue[] = "Key";
// Administrators and SYSTEM, full control each, and nothing inherited from the parent (P).
constexpr char kSecurity[] = "D:P(A;;KA;;;BA)(A;;KA;;;SY)";
// Two first runs at once take turns: the one that makes the key writes it before the other looks.
constexpr char kMutex[] = "Global\\TarnwickLogKey";
constexpr DWORD kMostWait = 30000;

struct LocalTraits {
    using Handle = HLOCAL;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle memory) { (void)LocalFree(memory); }
};
using UniqueLocal = UniqueHandle<LocalTraits>;

// Holds a mutex from its wait to its end.
class MutexTurn {
public:
    explicit MutexTurn(HANDLE mutex)
        : m_mutex(mutex)
    {
        const DWORD waited = WaitForSingleObject(mutex, kMostWait);
        m_held = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    }
    ~MutexTurn()
    {
        if (m_held)
            (void)ReleaseMutex(m_mutex);
    }
    MutexTurn(const MutexTurn&) = delete;
    MutexTurn& operator=(const MutexTurn&) = delete;
    bool Held() const { return m_held; }

private:
    HANDLE m_mutex;
    bool m_held = false;
};

std::string Failed(const std::string& what, DWORD code)
{
    return what + " (error " + std::to_string(code) + ")";
}

// Whether the key's DACL is ours: protected, and granting Administrators and SYSTEM alone.
bool OnlyAdministrators(HKEY key)
{
    DWORD size = 0;
    if (RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, nullptr, &size) != ERROR_INSUFFICIENT_BUFFER)
        return false;
    std::string buffer(size, '\0');
    const auto descriptor = reinterpret_cast<PSECURITY_DESCRIPTOR>(buffer.data());
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL dacl = nullptr;
    if (RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor, &size) != ERROR_SUCCESS
        || !GetSecurityDescriptorControl(descriptor, &control, &revision)
        || !GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) || !present || !dacl
        || !(control & SE_DACL_PROTECTED))
        return false;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (!GetAce(dacl, i, &ace))
            return false;
        const auto* header = static_cast<const ACE_HEADER*>(ace);
        if (header->AceType == ACCESS_DENIED_ACE_TYPE)
            continue; // a denial grants nothing
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE)
            return false; // a conditional or object grant: not one of ours
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
        const PSID sid = &allowed->SidStart;
        if (!IsWellKnownSid(sid, WinBuiltinAdministratorsSid) && !IsWellKnownSid(sid, WinLocalSystemSid))
            return false;
    }
    return true;
}

// The key, created with its DACL when it is not there. A key found with any other DACL was not
// made here, and who else may read it cannot be told: it is refused.
bool OpenKey(UniqueKey& key, std::string& error)
{
    UniqueKey parent;
    LONG result = RegCreateKeyExA(HKEY_LOCAL_MACHINE, kParent, 0, nullptr, REG_OPTION_NON_VOLATILE,
        KEY_CREATE_SUB_KEY, nullptr, parent.put(), nullptr);
    if (result != ERROR_SUCCESS) {
        error = Failed("cannot open HKEY_LOCAL_MACHINE\\SOFTWARE\\Tarnwick", static_cast<DWORD>(result));
        return false;
    }
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(
            kSecurity, SDDL_REVISION_1, &descriptor, nullptr)) {
        error = Failed("cannot make the log key's security descriptor", GetLastError());
        return false;
    }
    const UniqueLocal owned(descriptor);
    SECURITY_ATTRIBUTES attributes { sizeof attributes, descriptor, FALSE };
    DWORD disposition = 0;
    result = RegCreateKeyExA(parent.get(), kKeyName, 0, nullptr, REG_OPTION_NON_VOLATILE,
        KEY_QUERY_VALUE | KEY_SET_VALUE | READ_CONTROL | WRITE_DAC, &attributes, key.put(), &disposition);
    if (result != ERROR_SUCCESS) {
        error = Failed(std::string("cannot open ") + kPath, static_cast<DWORD>(result));
        return false;
    }
    // Wine makes the key with a default descriptor whatever it is given; set again, it takes it.
    // The key holds no value yet, and gets none before its DACL has been checked.
    if (disposition == REG_CREATED_NEW_KEY) {
        result = RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, descriptor);
        if (result != ERROR_SUCCESS) {
            error = Failed(std::string("cannot set the security of ") + kPath, static_cast<DWORD>(result));
            return false;
        }
    }
    if (!OnlyAdministrators(key.get())) {
        error = std::string(kPath) + " may be opened by others than Administrators and SYSTEM";
        return false;
    }
    return true;
}

bool ReadOrMakeKey(HKEY key, std::string& bytes, std::string& error)
{
    bytes.assign(kMachineLogKeySize, '\0');
    DWORD type = REG_NONE;
    DWORD size = static_cast<DWORD>(bytes.size());
    const LONG read
        = RegQueryValueExA(key, kValue, nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()), &size);
    if (read == ERROR_SUCCESS && type == REG_BINARY && size == kMachineLogKeySize)
        return true;
    if (read != ERROR_FILE_NOT_FOUND) {
        error = std::string(kPath) + " holds no key of " + std::to_string(kMachineLogKeySize) + " bytes in "
            + kValue;
        return false;
    }
    const NTSTATUS made = BCryptGenRandom(nullptr, reinterpret_cast<PUCHAR>(bytes.data()),
        static_cast<ULONG>(bytes.size()), BCRYPT_USE_SYSTEM_PREFERRED_RNG);
    if (made < 0) {
        error = Failed("the system's random source gave nothing", static_cast<DWORD>(made));
        return false;
    }
    const LONG written = RegSetValueExA(key, kValue, 0, REG_BINARY,
        reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
    if (written != ERROR_SUCCESS) {
        error = Failed(std::string("cannot write ") + kPath, static_cast<DWORD>(written));
        return false;
    }
    return true;
}

} // namespace

bool MachineLogKey(std::string& key, std::string& error)
{
    const UniqueObject mutex(CreateMutexA(nullptr, FALSE, kMutex));
    if (!mutex) {
        error = Failed("cannot create the mutex of the log key", GetLastError());
        return false;
    }
    const MutexTurn turn(mutex.get());
    if (!turn.Held()) {
        error = "another program held the log key for 30 seconds";
        return false;
    }
    UniqueKey opened;
    std::string bytes;
    if (!OpenKey(opened, error) || !ReadOrMakeKey(opened.get(), bytes, error))
        return false;
    key = std::move(bytes);
    return true;
}
