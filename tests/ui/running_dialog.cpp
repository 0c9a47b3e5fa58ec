#include "running_dialog.h"

#include <shlobj.h>

#include "program.h"

#include <cstring>
#include <thread>

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds bound) {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

namespace {

std::wstring besideThisProgram(const wchar_t* name) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    folder.erase(folder.find_last_of(L"\\/") + 1);
    return folder + name;
}

// WM_GETTEXT rather than GetWindowText, which does not ask a window of
// another process for its text.
std::wstring windowText(HWND window) {
    wchar_t text[1024] = {};
    SendMessageW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
    return text;
}

std::wstring className(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

struct WindowSearch {
    DWORD processId;
    HWND exclude;
    const wchar_t* title;
    HWND found;
};

BOOL CALLBACK matchWindow(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || window == search->exclude || !IsWindowVisible(window)) return TRUE;
    if (className(window) != L"#32770") return TRUE;
    if (search->title && windowText(window) != search->title) return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

RunningDialog::RunningDialog(ProgramProcess where) {
    if (where == ProgramProcess::ThisOne) {
        processId_ = GetCurrentProcessId();
        thread_ = std::thread([this] {
            result_ = runProgram(GetModuleHandleW(nullptr));
            ended_ = true;
        });
        findWindow();
        return;
    }
    std::wstring program = besideThisProgram(L"Quorvel.exe");
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process_))
        return;
    processId_ = process_.dwProcessId;
    WaitForInputIdle(process_.hProcess, 20000);
    findWindow();
}

void RunningDialog::findWindow() {
    HWND found = nullptr;
    waitUntil([&] {
        WindowSearch search{processId_, nullptr, L"Quorvel", nullptr};
        EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
        found = search.found;
        // The caption of the play button is the last thing set at start-up.
        return found && !windowText(GetDlgItem(found, IDOK)).empty();
    });
    window_ = found;
}

RunningDialog::~RunningDialog() {
    if (thread_.joinable()) {
        if (!ended_ && window_) PostMessageW(window_, WM_CLOSE, 0, 0);
        thread_.join();
        return;
    }
    if (!process_.hProcess) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.hProcess, 1);
        WaitForSingleObject(process_.hProcess, 10000);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

std::wstring RunningDialog::text(int id) const { return windowText(item(id)); }

std::wstring RunningDialog::text(HWND window) { return windowText(window); }

void RunningDialog::setText(int id, const std::wstring& text) const {
    SendMessageW(item(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::vector<std::wstring> RunningDialog::items(int id) const {
    std::vector<std::wstring> result;
    const auto count = SendMessageW(item(id), CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        SendMessageW(item(id), CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        result.emplace_back(text);
    }
    return result;
}

int RunningDialog::selection(int id) const {
    return static_cast<int>(SendMessageW(item(id), CB_GETCURSEL, 0, 0));
}

void RunningDialog::click(int id) const { PostMessageW(item(id), BM_CLICK, 0, 0); }

void RunningDialog::pressKey(WORD virtualKey) const {
    SetForegroundWindow(window_);
    waitUntil([&] { return GetForegroundWindow() == window_; }, std::chrono::seconds(5));
    INPUT keys[2] = {};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = virtualKey;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
}

void RunningDialog::dropFiles(const std::vector<std::string>& paths) const {
    // DROPFILES, then the ANSI paths one after another, each zero-ended,
    // and one more zero.
    size_t size = sizeof(DROPFILES) + 1;
    for (const auto& path : paths) size += path.size() + 1;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = FALSE;
    char* names = reinterpret_cast<char*>(drop + 1);
    for (const auto& path : paths) {
        std::memcpy(names, path.c_str(), path.size() + 1);
        names += path.size() + 1;
    }
    GlobalUnlock(memory);
    PostMessageW(window_, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

HWND RunningDialog::findOwnedWindow(const wchar_t* title) const {
    WindowSearch search{processId_, window_, title, nullptr};
    EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

DWORD RunningDialog::waitForExit(std::chrono::milliseconds bound) {
    if (thread_.joinable()) {
        if (!waitUntil([&] { return ended_.load(); }, bound)) return STILL_ACTIVE;
        thread_.join();
        return static_cast<DWORD>(result_);
    }
    WaitForSingleObject(process_.hProcess, static_cast<DWORD>(bound.count()));
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

std::wstring takeErrorMessage(const RunningDialog& dialog) {
    HWND box = nullptr;
    if (!waitUntil([&] { return (box = dialog.findOwnedWindow(L"エラー")) != nullptr; })) return L"";
    // A message box shows its text in the static with identifier 0xFFFF.
    const std::wstring text = windowText(GetDlgItem(box, 0xFFFF));
    PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    waitUntil([&] { return !IsWindow(box); });
    return text;
}
