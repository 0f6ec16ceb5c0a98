#pragma once

// Reads a Windows shortcut back as the shell sees it (IShellLinkW): its target and working folder.
// Windows only; for tests.

#include <string>

#include "core/platform/Windows_win.h"

#include <objbase.h>
#include <shlguid.h>
#include <shobjidl.h>

namespace zarkent::test {

struct LinkInfo {
    std::wstring target, folder;
};

// Empty fields when the file is not a shortcut that loads.
inline LinkInfo LoadLink(const std::string& path) {
    LinkInfo info;
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    wchar_t text[MAX_PATH * 2] = {};
    if (SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                     reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(win::Widen(path).c_str(), STGM_READ))) {
        if (SUCCEEDED(link->GetPath(text, MAX_PATH * 2, nullptr, SLGP_RAWPATH))) info.target = text;
        if (SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH * 2))) info.folder = text;
    }
    if (file) file->Release();
    if (link) link->Release();
    if (SUCCEEDED(com)) ::CoUninitialize();
    return info;
}

} // namespace zarkent::test
