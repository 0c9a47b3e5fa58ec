// The real program, started as a user would start it, and its window
// driven from outside: messages to the window and its controls, keys
// through the system's input queue, the message boxes it shows read and
// dismissed.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

// Waits until condition holds, checking every few milliseconds; false once
// the bound has passed. The bound is generous: Wine under load is slow.
bool waitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds bound = std::chrono::seconds(20));

// Where the program runs. A drop hands the receiver memory of its own
// process (the shell allocates it there), which no other process can fake:
// drop tests run the same program, entry and resources included, on a
// thread of this test program instead.
enum class ProgramProcess { Own, ThisOne };

class RunningDialog {
public:
    // Starts Quorvel.exe from the folder of this test program, or the same
    // program on a thread here, and waits for its main window. failed()
    // tells whether that went wrong.
    explicit RunningDialog(ProgramProcess where = ProgramProcess::Own);
    // Ends the program if it is still running.
    ~RunningDialog();
    RunningDialog(const RunningDialog&) = delete;
    RunningDialog& operator=(const RunningDialog&) = delete;

    bool failed() const { return window_ == nullptr; }
    HWND window() const { return window_; }
    HWND item(int id) const { return GetDlgItem(window_, id); }

    std::wstring text(int id) const;
    static std::wstring text(HWND window);
    void setText(int id, const std::wstring& text) const;
    bool enabled(int id) const { return IsWindowEnabled(item(id)) != FALSE; }
    // The items of a combo box, in list order, and its selected index.
    std::vector<std::wstring> items(int id) const;
    int selection(int id) const;

    // A click on a button, posted so that modal windows it opens do not
    // hold up the test.
    void click(int id) const;
    // Presses and releases a key with the program's window in front.
    void pressKey(WORD virtualKey) const;
    // Posts a drop of these files onto the window, as the shell does; only
    // for a program running in this process.
    void dropFiles(const std::vector<std::string>& paths) const;

    // The program's top-level window with this title other than the main
    // window (a message box, the open-file dialog), or null.
    HWND findOwnedWindow(const wchar_t* title = nullptr) const;

    // Waits for the program to end and gives its exit code; STILL_ACTIVE if
    // it did not end within the bound.
    DWORD waitForExit(std::chrono::milliseconds bound = std::chrono::seconds(20));

private:
    void findWindow();

    DWORD processId_ = 0;
    // The program in its own process.
    PROCESS_INFORMATION process_ = {};
    // The program on a thread of this one, and its result once it ended.
    std::thread thread_;
    std::atomic<bool> ended_{false};
    int result_ = 0;
    HWND window_ = nullptr;
};

// An error message the program shows: its text, after which it is
// dismissed with its OK button. Empty when none appeared in time.
std::wstring takeErrorMessage(const RunningDialog& dialog);
