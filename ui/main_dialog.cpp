#include "main_dialog.h"

#include <commdlg.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "interface_texts.h"
#include "resource_ids.h"

namespace {

// The sample rates offered, in list order.
constexpr const char* kRatePresets[] = {"8000",  "11025", "12000", "16000", "22050", "24000",
                                        "32000", "44100", "48000", "96000", "192000"};
constexpr const char kDefaultRate[] = "44100";
constexpr unsigned kMostChannels = 16;
// Sample widths 8, 16, 24 and 32: list index i stands for i x 8 + 8 bits.
constexpr unsigned kFirstBits = 8;
constexpr unsigned kBitsStep = 8;
constexpr unsigned kBitsEnd = 40;
// Selected at start-up: 2 channels, 16 bits.
constexpr WPARAM kDefaultChannelsIndex = 1;
constexpr WPARAM kDefaultBitsIndex = 1;
// The number fields' start-up text.
constexpr const char kDefaultNumber[] = "0";

// The open-file dialog's record without the fields added after Windows NT 4,
// so that it reads the same on every version.
constexpr DWORD kOpenFileNameSize = offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR);
static_assert(sizeof(void*) != 4 || kOpenFileNameSize == 76, "the NT 4 layout is 76 bytes");

void addItem(HWND window, int control, const char* text) {
    SendDlgItemMessageA(window, control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}

void addNumber(HWND window, int control, unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "%u", value);
    addItem(window, control, text);
}

std::uint32_t readNumber(HWND window, int control) { return GetDlgItemInt(window, control, nullptr, FALSE); }

std::uint32_t selectedIndex(HWND window, int control) {
    return static_cast<std::uint32_t>(SendDlgItemMessageA(window, control, CB_GETCURSEL, 0, 0));
}

}  // namespace

MainDialog::MainDialog(HINSTANCE instance, PlaybackSettings& settings, StreamPlayer& player,
                       Win32ErrorMessages& messages)
    : instance_(instance), settings_(settings), player_(player), messages_(messages) {}

INT_PTR MainDialog::run() {
    const INT_PTR result = DialogBoxParamA(instance_, MAKEINTRESOURCEA(IDD_MAIN), nullptr, dialogProc,
                                           reinterpret_cast<LPARAM>(this));
    messages_.setOwner(nullptr);
    window_ = nullptr;
    if (bigIcon_) DestroyIcon(bigIcon_);
    if (smallIcon_) DestroyIcon(smallIcon_);
    bigIcon_ = smallIcon_ = nullptr;
    return result;
}

INT_PTR CALLBACK MainDialog::dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // The dialog object arrives with WM_INITDIALOG and is kept in the
    // window's user slot for the messages after it.
    auto* dialog = reinterpret_cast<MainDialog*>(GetWindowLongPtrA(window, DWLP_USER));
    if (message == WM_INITDIALOG) {
        dialog = reinterpret_cast<MainDialog*>(lParam);
        SetWindowLongPtrA(window, DWLP_USER, lParam);
    }
    if (!dialog) return FALSE;

    switch (message) {
        case WM_INITDIALOG: dialog->onInitDialog(window); break;
        case WM_COMMAND: dialog->onCommand(wParam); break;
        case WM_DROPFILES: dialog->onDropFiles(reinterpret_cast<HDROP>(wParam)); break;
        case WM_CLOSE: dialog->onClose(); break;
        default: break;
    }
    // Every message, the handled ones too, is left to the dialog manager's
    // default processing as well; in particular the initial focus is not
    // set by the dialog itself.
    return FALSE;
}

void MainDialog::onInitDialog(HWND window) {
    window_ = window;
    messages_.setOwner(window);

    bigIcon_ = setIcon(ICON_BIG, 32);
    smallIcon_ = setIcon(ICON_SMALL, 16);

    SetDlgItemTextA(window, IDC_PATH, "");

    for (unsigned channels = 1; channels <= kMostChannels; ++channels)
        addNumber(window, IDC_CHANNELS, channels);
    SendDlgItemMessageA(window, IDC_CHANNELS, CB_SETCURSEL, kDefaultChannelsIndex, 0);

    for (const char* rate : kRatePresets) addItem(window, IDC_RATE, rate);
    SetDlgItemTextA(window, IDC_RATE, kDefaultRate);

    for (unsigned bits = kFirstBits; bits < kBitsEnd; bits += kBitsStep) addNumber(window, IDC_BITS, bits);
    SendDlgItemMessageA(window, IDC_BITS, CB_SETCURSEL, kDefaultBitsIndex, 0);

    for (int control : {IDC_OFFSET, IDC_LOOP_START, IDC_LOOP_END, IDC_BLOCK_SIZE})
        SetDlgItemTextA(window, control, kDefaultNumber);

    SetDlgItemTextA(window, IDOK, kTextPlay);
    DragAcceptFiles(window, TRUE);
}

HICON MainDialog::setIcon(WPARAM which, int size) {
    auto icon = static_cast<HICON>(
        LoadImageA(instance_, MAKEINTRESOURCEA(IDI_MAIN), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    SendMessageA(window_, WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
    return icon;
}

void MainDialog::onCommand(WPARAM wParam) {
    // Button clicks, Enter and Escape; the lists' and fields' notifications
    // carry other codes.
    if (HIWORD(wParam) != 0) return;

    switch (LOWORD(wParam)) {
        case IDOK:
            if (player_.isOpen())
                stopPlaying();
            else
                play();
            break;
        case IDCANCEL: SendMessageA(window_, WM_CLOSE, 0, 0); break;
        case IDC_BROWSE: browse(); break;
        default: break;
    }
}

void MainDialog::play() {
    // The whole buffer: a path of 259 bytes, as the open-file dialog and
    // drops can deliver, must not lose its last byte and name another file.
    GetDlgItemTextA(window_, IDC_PATH, settings_.path, sizeof settings_.path);
    settings_.channels = selectedIndex(window_, IDC_CHANNELS) + 1;
    settings_.sampleRate = readNumber(window_, IDC_RATE);
    settings_.bitsPerSample = selectedIndex(window_, IDC_BITS) * kBitsStep + kFirstBits;
    settings_.offset = readNumber(window_, IDC_OFFSET);
    settings_.loopStart = readNumber(window_, IDC_LOOP_START);
    settings_.loopEnd = readNumber(window_, IDC_LOOP_END);
    settings_.blockSize = readNumber(window_, IDC_BLOCK_SIZE);
    settings_.unsignedSamples = IsDlgButtonChecked(window_, IDC_UNSIGNED) == BST_CHECKED;
    normalizeSettings(settings_);

    // A failure has been reported by the player; the dialog stays Idle.
    if (!player_.open(settings_.path)) return;

    enableSettings(false);
    SetDlgItemTextA(window_, IDOK, kTextStop);
    player_.prime();
}

void MainDialog::stopPlaying() {
    player_.stop();
    enableSettings(true);
    SetDlgItemTextA(window_, IDOK, kTextPlay);
}

void MainDialog::enableSettings(bool enabled) {
    // A disabled control cannot keep the keyboard focus; hand it to the play
    // button so that Enter and Tab keep working.
    HWND focus = GetFocus();
    for (int control = IDC_FIRST_SETTING; control <= IDC_LAST_SETTING; ++control) {
        HWND item = GetDlgItem(window_, control);
        if (!enabled && item == focus)
            SendMessageA(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(window_, IDOK)), TRUE);
        EnableWindow(item, enabled ? TRUE : FALSE);
    }
}

void MainDialog::browse() {
    std::memset(pathBuffer_, 0, sizeof pathBuffer_);
    OPENFILENAMEA request = {};
    request.lStructSize = kOpenFileNameSize;
    request.hwndOwner = window_;
    request.lpstrFilter = kTextAllFilesFilter;
    request.lpstrFile = pathBuffer_;
    request.nMaxFile = sizeof pathBuffer_;
    request.Flags = OFN_HIDEREADONLY | OFN_ENABLESIZING;
    if (GetOpenFileNameA(&request)) SetDlgItemTextA(window_, IDC_PATH, pathBuffer_);
}

void MainDialog::onDropFiles(HDROP drop) {
    std::memset(pathBuffer_, 0, sizeof pathBuffer_);
    DragQueryFileA(drop, 0, pathBuffer_, sizeof pathBuffer_);
    // The drop's memory is the receiver's to free.
    DragFinish(drop);
    SetDlgItemTextA(window_, IDC_PATH, pathBuffer_);
}

void MainDialog::onClose() {
    player_.stop();
    DragAcceptFiles(window_, FALSE);
    EndDialog(window_, 0);
}
