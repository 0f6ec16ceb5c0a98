// Executes the Windows desktop-integration plan: registry keys and default values for the .zrk
// association and the folder verb, and the Send To shortcut as a shell link.

#include "core/platform/ShellWriter.h"

#include "core/base/Error.h"
#include "core/platform/FileSystem.h"
#include "core/platform/Registry_win.h"
#include "core/platform/Windows_win.h"

#include <objbase.h>
#include <shlguid.h>
#include <shlobj.h>
#include <shobjidl.h>

// windows.h names DeleteFileA/W so; here DeleteFile is the plan's operation.
#undef DeleteFile

namespace zarkent {

namespace {

using shell::WindowsOperation;
using win::RegistryKey;
using win::Widen;

// COM for the shell link, on whatever thread runs the plan. A thread that already has COM (the window
// thread of a GUI, maybe in another apartment kind) keeps it as it is.
class ComScope {
public:
    ComScope() : result_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ~ComScope() {
        if (SUCCEEDED(result_)) ::CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT result_;
};

template <typename Interface> class ComPointer {
public:
    ComPointer() = default;
    ~ComPointer() {
        if (pointer_) pointer_->Release();
    }
    ComPointer(const ComPointer&) = delete;
    ComPointer& operator=(const ComPointer&) = delete;
    Interface* operator->() const { return pointer_; }
    void** Out() { return reinterpret_cast<void**>(&pointer_); }

private:
    Interface* pointer_ = nullptr;
};

std::string HResultText(HRESULT result) {
    return win::ErrorText(static_cast<DWORD>(result));
}

void SaveShellLink(const std::string& path, const std::string& target, const std::string& workingFolder) {
    const ComScope com;
    ComPointer<IShellLinkW> link;
    HRESULT result = ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.Out());
    if (FAILED(result)) throw ZarkentError("Cannot create the shell link object. " + HResultText(result));
    ComPointer<IPersistFile> file;
    if (FAILED(result = link->SetPath(Widen(target).c_str())) ||
        FAILED(result = link->SetWorkingDirectory(Widen(workingFolder).c_str())) ||
        FAILED(result = link->QueryInterface(IID_IPersistFile, file.Out())) ||
        FAILED(result = file->Save(Widen(path).c_str(), TRUE)))
        throw ZarkentError("Cannot save the shortcut \"" + path + "\". " + HResultText(result));
}

// Whether `path` below `parent` exists with `value` as its default value (a value that is not a string
// is someone else's).
bool DefaultValueIs(const RegistryKey& parent, const std::string& path, const std::string& value) {
    const RegistryKey key = RegistryKey::Open(parent.Get(), Widen(path));
    if (!key.IsOpen()) return false;
    try {
        return key.ReadString("", path) == value;
    } catch (const ZarkentError&) {
        return false;
    }
}

} // namespace

ShellWriteResult ApplyWindowsPlan(const shell::WindowsPlan& plan, const std::string& classesKey) {
    ShellWriteResult result;
    const std::string shownRoot = "HKEY_CURRENT_USER\\" + classesKey;
    auto shown = [&](const std::string& path) { return shownRoot + "\\" + path; };
    RegistryKey classes;
    bool registryReported = false;
    for (const WindowsOperation& operation : plan) {
        try {
            const bool registry = operation.kind == WindowsOperation::Kind::CreateKey ||
                                  operation.kind == WindowsOperation::Kind::SetDefault ||
                                  operation.kind == WindowsOperation::Kind::DeleteKeyTree;
            if (registry && !classes.IsOpen()) {
                // One message for a classes key that cannot be opened, not one per operation.
                if (registryReported) continue;
                registryReported = true;
                classes = RegistryKey::Create(HKEY_CURRENT_USER, Widen(classesKey), shownRoot);
            }
            switch (operation.kind) {
            case WindowsOperation::Kind::CreateKey:
                RegistryKey::Create(classes.Get(), Widen(operation.path), shown(operation.path));
                break;
            case WindowsOperation::Kind::SetDefault:
                RegistryKey::Create(classes.Get(), Widen(operation.path), shown(operation.path))
                    .WriteString("", operation.value, shown(operation.path));
                break;
            case WindowsOperation::Kind::DeleteKeyTree: {
                if (!operation.value.empty() && !DefaultValueIs(classes, operation.path, operation.value)) break;
                const LSTATUS status = ::RegDeleteTreeW(classes.Get(), Widen(operation.path).c_str());
                if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
                    throw ZarkentError("Cannot remove the registry key \"" + shown(operation.path) + "\". " +
                                       win::ErrorText(static_cast<DWORD>(status)));
                break;
            }
            case WindowsOperation::Kind::DeleteFile:
                if (std::string reason; !RemoveFile(operation.path, &reason))
                    throw ZarkentError("Cannot remove \"" + operation.path + "\". " + reason);
                break;
            case WindowsOperation::Kind::SaveLink:
                SaveShellLink(operation.path, operation.value, operation.workingFolder);
                break;
            }
        } catch (const std::exception& e) {
            result.problems.push_back(e.what());
        }
    }
    return result;
}

std::optional<std::string> WindowsSendToFolder() {
    wchar_t* known = nullptr;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_SendTo, KF_FLAG_DEFAULT, nullptr, &known)) && known) {
        std::string folder = win::Narrow(known);
        ::CoTaskMemFree(known);
        return folder;
    }
    if (known) ::CoTaskMemFree(known);
    // Where older versions looked; the known folder is right also for roaming and redirected profiles.
    const RegistryKey volatileEnvironment = RegistryKey::Open(HKEY_CURRENT_USER, L"Volatile Environment");
    if (!volatileEnvironment.IsOpen()) return std::nullopt;
    try {
        const auto drive = volatileEnvironment.ReadString("HOMEDRIVE", "Volatile Environment");
        const auto path = volatileEnvironment.ReadString("HOMEPATH", "Volatile Environment");
        if (!drive || !path || drive->empty() || path->empty()) return std::nullopt;
        return *drive + *path + "\\SendTo";
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

} // namespace zarkent
