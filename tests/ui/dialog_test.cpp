// The program as a user meets it: each test starts the real Quorvel.exe,
// drives its window from outside and reads back what the window shows and
// what reached the audio output. Sound is checked where the runner sends
// the default output to a capture file (QUORVEL_DIALOG_CAPTURE).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "resource_ids.h"
#include "running_dialog.h"
#include "support/temp_file.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int kSettingControls[] = {IDC_PATH,   IDC_BROWSE,     IDC_CHANNELS, IDC_RATE,       IDC_BITS,
                                    IDC_OFFSET, IDC_LOOP_START, IDC_LOOP_END, IDC_BLOCK_SIZE, IDC_UNSIGNED};

std::wstring wide(const std::string& text) {
    std::wstring result;
    for (char c : text) result += static_cast<wchar_t>(static_cast<unsigned char>(c));
    return result;
}

// A path in the temporary folder that names no file: its folder is new.
// (Wine reuses small process ids, so names made from them can meet files
// that an interrupted run left behind.)
std::string missingPath() {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    return std::string(temp) + "quorvel-no-such-folder-" + std::to_string(GetTickCount64()) + "\\missing.raw";
}

// Which setting controls are enabled, named, for a message that says which
// one is wrong.
std::string enabledSettings(const RunningDialog& dialog) {
    std::string result;
    for (int id : kSettingControls) result += std::to_string(id) + (dialog.enabled(id) ? "+ " : "- ");
    return result;
}

bool isPlaying(const RunningDialog& dialog) {
    if (dialog.text(IDOK) != L"停止") return false;
    return std::none_of(std::begin(kSettingControls), std::end(kSettingControls),
                        [&](int id) { return dialog.enabled(id); });
}

bool isIdle(const RunningDialog& dialog) {
    if (dialog.text(IDOK) != L"再生") return false;
    return std::all_of(std::begin(kSettingControls), std::end(kSettingControls),
                       [&](int id) { return dialog.enabled(id); });
}

// The capture file, when the runner set one up.
const char* capturePath() { return std::getenv("QUORVEL_DIALOG_CAPTURE"); }

Bytes captured() {
    std::ifstream in(capturePath(), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool contains(const Bytes& haystack, size_t from, const Bytes& needle) {
    if (from > haystack.size()) return false;
    return std::search(haystack.begin() + static_cast<std::ptrdiff_t>(from), haystack.end(), needle.begin(),
                       needle.end()) != haystack.end();
}

// Waits until the output has received needle after the first `from` bytes.
bool soundArrives(const Bytes& needle, size_t from = 0) {
    return waitUntil([&] { return contains(captured(), from, needle); }, std::chrono::seconds(60));
}

class DialogTest : public ::testing::Test {
protected:
    explicit DialogTest(ProgramProcess where = ProgramProcess::Own) : dialog(where) {}

    void SetUp() override { ASSERT_FALSE(dialog.failed()) << "the main window did not appear"; }

    // Puts a file into the field and presses Play.
    void play(const std::string& path) {
        dialog.setText(IDC_PATH, wide(path));
        dialog.click(IDOK);
    }

    RunningDialog dialog;
};

// The template: each control's class, text, style and place.
struct ControlCase {
    const char* name;
    int id;  // -1: found by its text among the labels
    const wchar_t* className;
    const wchar_t* text;
    DWORD requiredStyle;
    DWORD typeMask;  // the bits of the style that hold the kind of control
    DWORD type;
    DWORD forbiddenStyle;
    int x, y, width, height;  // dialog units; height 0: not checked
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kLabel = kChild | WS_GROUP;
constexpr DWORD kEdit = kChild | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
// A combo box hands WS_VSCROLL to its list, which drops it while all items
// fit: it cannot be seen from here.
constexpr DWORD kCombo = kChild | WS_TABSTOP;
constexpr DWORD kButton = kChild | WS_TABSTOP;

const ControlCase kControls[] = {
    {"file label", -1, L"Static", L"再生するファイル", kLabel, SS_TYPEMASK, SS_LEFT, 0, 6, 6, 210, 12},
    {"file field", IDC_PATH, L"Edit", L"", kEdit, 0, 0, ES_NUMBER, 6, 18, 174, 12},
    {"browse", IDC_BROWSE, L"Button", L"参照", kButton, BS_TYPEMASK, BS_PUSHBUTTON, 0, 186, 18, 30, 12},
    {"channels label", -1, L"Static", L"チャンネル", kLabel, SS_TYPEMASK, SS_LEFT, 0, 6, 36, 48, 12},
    {"rate label", -1, L"Static", L"サンプルレート", kLabel, SS_TYPEMASK, SS_LEFT, 0, 60, 36, 48, 12},
    {"bits label", -1, L"Static", L"量子化ビット", kLabel, SS_TYPEMASK, SS_LEFT, 0, 114, 36, 48, 12},
    {"offset label", -1, L"Static", L"オフセット", kLabel, SS_TYPEMASK, SS_LEFT, 0, 168, 36, 48, 12},
    {"channels", IDC_CHANNELS, L"ComboBox", L"2", kCombo, 3, CBS_DROPDOWNLIST, CBS_SORT, 6, 48, 48, 0},
    {"rate", IDC_RATE, L"ComboBox", L"44100", kCombo, 3, CBS_DROPDOWN, CBS_SORT | CBS_AUTOHSCROLL, 60, 48, 48,
     0},
    {"bits", IDC_BITS, L"ComboBox", L"16", kCombo, 3, CBS_DROPDOWNLIST, CBS_SORT, 114, 48, 48, 0},
    {"offset", IDC_OFFSET, L"Edit", L"0", kEdit, 0, 0, ES_NUMBER, 168, 48, 48, 12},
    {"loop start label", -1, L"Static", L"ループ開始", kLabel, SS_TYPEMASK, SS_LEFT, 0, 6, 66, 48, 12},
    {"loop end label", -1, L"Static", L"ループ終了", kLabel, SS_TYPEMASK, SS_LEFT, 0, 60, 66, 48, 12},
    {"block size label", -1, L"Static", L"ブロックサイズ", kLabel, SS_TYPEMASK, SS_LEFT, 0, 114, 66, 48, 12},
    {"loop start", IDC_LOOP_START, L"Edit", L"0", kEdit, 0, 0, ES_NUMBER, 6, 78, 48, 12},
    {"loop end", IDC_LOOP_END, L"Edit", L"0", kEdit, 0, 0, ES_NUMBER, 60, 78, 48, 12},
    {"block size", IDC_BLOCK_SIZE, L"Edit", L"0", kEdit, 0, 0, ES_NUMBER, 114, 78, 48, 12},
    {"unsigned", IDC_UNSIGNED, L"Button", L"符号なし", kButton, BS_TYPEMASK, BS_AUTOCHECKBOX, 0, 168, 78, 48,
     12},
    {"play", IDOK, L"Button", L"再生", kButton, 0, 0, 0, 66, 96, 42, 12},
    {"close", IDCANCEL, L"Button", L"閉じる", kButton, 0, 0, 0, 114, 96, 42, 12},
};

std::wstring classOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

class StartUpTest : public DialogTest, public ::testing::WithParamInterface<ProgramProcess> {
protected:
    StartUpTest() : DialogTest(GetParam()) {}
};

TEST_P(StartUpTest, ShowsTheTemplatesControlsInTabOrderAndTheDefaults) {
    HWND window = dialog.window();
    RECT client;
    GetClientRect(window, &client);
    // Pixels per dialog unit, from the client area's 220 x 119 units.
    const double perUnitX = client.right / 220.0;
    const double perUnitY = client.bottom / 119.0;

    HWND control = GetWindow(window, GW_CHILD);
    for (const ControlCase& expected : kControls) {
        SCOPED_TRACE(expected.name);
        ASSERT_NE(control, nullptr) << "the template has fewer controls than expected";
        if (expected.id != -1) {
            EXPECT_EQ(GetDlgCtrlID(control), expected.id);
        }
        EXPECT_EQ(classOf(control), expected.className);
        EXPECT_EQ(RunningDialog::text(control), expected.text);

        auto style = static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE));
        // The dialog manager draws an edit's border as a sunken edge.
        if (GetWindowLongW(control, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) style |= WS_BORDER;
        EXPECT_EQ(style & expected.requiredStyle, expected.requiredStyle) << std::hex << style;
        EXPECT_EQ(style & expected.typeMask, expected.type) << std::hex << style;
        EXPECT_EQ(style & expected.forbiddenStyle, 0u) << std::hex << style;

        RECT place;
        GetWindowRect(control, &place);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&place), 2);
        EXPECT_NEAR(place.left / perUnitX, expected.x, 0.5);
        EXPECT_NEAR(place.top / perUnitY, expected.y, 0.5);
        EXPECT_NEAR((place.right - place.left) / perUnitX, expected.width, 0.5);
        if (expected.height) {
            EXPECT_NEAR((place.bottom - place.top) / perUnitY, expected.height, 0.5);
        }
        control = GetWindow(control, GW_HWNDNEXT);
    }
    EXPECT_EQ(control, nullptr) << "the template has more controls than expected";

    const auto style = static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE));
    EXPECT_EQ(style & 0x80CA08C8u, 0x80CA08C8u) << std::hex << style;
    EXPECT_EQ(style & (WS_MAXIMIZEBOX | WS_THICKFRAME), 0u) << "the window must not be resizable";
    EXPECT_EQ(LOWORD(SendMessageW(window, DM_GETDEFID, 0, 0)), IDOK) << "Play is the default button";

    // Lists in the order they were filled, with the defaults selected.
    std::vector<std::wstring> channels;
    for (int i = 1; i <= 16; ++i) channels.push_back(std::to_wstring(i));
    EXPECT_EQ(dialog.items(IDC_CHANNELS), channels);
    EXPECT_EQ(dialog.selection(IDC_CHANNELS), 1);
    const std::vector<std::wstring> rates = {L"8000",  L"11025", L"12000", L"16000", L"22050", L"24000",
                                             L"32000", L"44100", L"48000", L"96000", L"192000"};
    EXPECT_EQ(dialog.items(IDC_RATE), rates);
    EXPECT_EQ(dialog.selection(IDC_RATE), CB_ERR) << "the rate is set as text, not as a selection";
    EXPECT_EQ(dialog.items(IDC_BITS), (std::vector<std::wstring>{L"8", L"16", L"24", L"32"}));
    EXPECT_EQ(dialog.selection(IDC_BITS), 1);
    EXPECT_EQ(SendMessageW(dialog.item(IDC_UNSIGNED), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_TRUE(isIdle(dialog)) << enabledSettings(dialog);
    EXPECT_TRUE(dialog.enabled(IDCANCEL));

    // Both icons, at their sizes. Wine answers WM_GETICON only within the
    // window's own process.
    if (GetParam() == ProgramProcess::Own) return;
    for (auto [which, size] : {std::pair{ICON_BIG, 32}, std::pair{ICON_SMALL, 16}}) {
        auto icon = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, which, 0));
        EXPECT_NE(icon, nullptr) << (which == ICON_BIG ? "big" : "small") << " icon missing";
        ICONINFO info = {};
        if (!icon || !GetIconInfo(icon, &info)) continue;
        BITMAP picture = {};
        GetObjectW(info.hbmColor, sizeof picture, &picture);
        EXPECT_EQ(picture.bmWidth, size);
        EXPECT_EQ(picture.bmHeight, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
}

INSTANTIATE_TEST_SUITE_P(Dialog, StartUpTest, ::testing::Values(ProgramProcess::Own, ProgramProcess::ThisOne),
                         [](const ::testing::TestParamInfo<ProgramProcess>& row) {
                             return std::string(row.param == ProgramProcess::Own ? "InItsOwnProcess"
                                                                                 : "InThisProcess");
                         });

TEST_F(DialogTest, PlayDisablesTheSettingsAndPlaysTheFileAndStopReturnsToIdle) {
    const Bytes sound = patternBytes(16384);
    TempFile file(sound);
    play(file.path());
    ASSERT_TRUE(waitUntil([&] { return isPlaying(dialog); })) << enabledSettings(dialog);
    EXPECT_TRUE(dialog.enabled(IDOK));
    EXPECT_TRUE(dialog.enabled(IDCANCEL));
    if (capturePath()) {
        EXPECT_TRUE(soundArrives(Bytes(sound.begin(), sound.begin() + 4096)))
            << "the file's first bytes never reached the output";
    }

    dialog.click(IDOK);
    EXPECT_TRUE(waitUntil([&] { return isIdle(dialog); })) << "Stop did not return to Idle";
    EXPECT_EQ(dialog.text(IDC_PATH), wide(file.path()));
}

// Failures to start: the player's message, then Idle with the user's values.
struct StartFailure {
    const char* name;
    bool fileExists;
    const wchar_t* rate;
    const wchar_t* message;
};

class StartFailureTest : public DialogTest, public ::testing::WithParamInterface<StartFailure> {};

TEST_P(StartFailureTest, ShowsThePlayersMessageAndStaysIdleWithTheUsersValues) {
    const StartFailure& failure = GetParam();
    TempFile file(patternBytes(4096));
    const std::string path = failure.fileExists ? file.path() : missingPath();
    dialog.setText(IDC_RATE, failure.rate);
    dialog.setText(IDC_OFFSET, L"12");
    dialog.setText(IDC_LOOP_END, L"not a number");
    SendMessageW(dialog.item(IDC_CHANNELS), CB_SETCURSEL, 5, 0);
    play(path);

    EXPECT_EQ(takeErrorMessage(dialog), failure.message);
    EXPECT_TRUE(waitUntil([&] { return isIdle(dialog); })) << enabledSettings(dialog);
    EXPECT_EQ(dialog.text(IDC_PATH), wide(path));
    EXPECT_EQ(dialog.text(IDC_RATE), failure.rate);
    EXPECT_EQ(dialog.text(IDC_OFFSET), L"12");
    EXPECT_EQ(dialog.text(IDC_LOOP_END), L"not a number");
    EXPECT_EQ(dialog.selection(IDC_CHANNELS), 5);
}

INSTANTIATE_TEST_SUITE_P(
    Dialog, StartFailureTest,
    ::testing::Values(StartFailure{"MissingFile", false, L"44100", L"ファイルが開けません。"},
                      StartFailure{"RateThatIsNoNumber", true, L"abc", L"デバイスがサポートしていません。"}),
    [](const ::testing::TestParamInfo<StartFailure>& row) { return std::string(row.param.name); });

TEST_F(DialogTest, EnterWhilePlayingStops) {
    TempFile file(patternBytes(4096));
    play(file.path());
    ASSERT_TRUE(waitUntil([&] { return isPlaying(dialog); }));
    dialog.pressKey(VK_RETURN);
    EXPECT_TRUE(waitUntil([&] { return isIdle(dialog); })) << "Enter did not stop playback";
}

TEST_F(DialogTest, EscapeWhilePlayingClosesWithExitCodeZero) {
    TempFile file(patternBytes(4096));
    play(file.path());
    ASSERT_TRUE(waitUntil([&] { return isPlaying(dialog); }));
    dialog.pressKey(VK_ESCAPE);
    EXPECT_EQ(dialog.waitForExit(), 0u);
}

TEST_F(DialogTest, CloseButtonEndsWithExitCodeZero) {
    dialog.click(IDCANCEL);
    EXPECT_EQ(dialog.waitForExit(), 0u);
}

// Drops are posted as the shell posts them, to the program running in this
// process (see ProgramProcess).
class DropTest : public DialogTest {
protected:
    DropTest() : DialogTest(ProgramProcess::ThisOne) {}
};

TEST_F(DropTest, DropOfSeveralFilesTakesTheFirst) {
    dialog.dropFiles({"C:\\first.raw", "C:\\second.raw", "C:\\third.raw"});
    EXPECT_TRUE(waitUntil([&] { return dialog.text(IDC_PATH) == L"C:\\first.raw"; }))
        << "the field reads " << std::string(dialog.text(IDC_PATH).begin(), dialog.text(IDC_PATH).end());
}

TEST_F(DropTest, DropWhilePlayingChangesTheFieldButNotTheSound) {
    // The file loops for ever; the dropped files hold other bytes.
    const Bytes sound = patternBytes(8192, 1);
    const Bytes other = patternBytes(8192, 2);
    TempFile file(sound);
    TempFile dropped(other);
    TempFile alsoDropped(other);
    dialog.setText(IDC_LOOP_END, L"8192");
    play(file.path());
    ASSERT_TRUE(waitUntil([&] { return isPlaying(dialog); }));

    dialog.dropFiles({dropped.path(), alsoDropped.path()});
    EXPECT_TRUE(waitUntil([&] { return dialog.text(IDC_PATH) == wide(dropped.path()); }));
    EXPECT_TRUE(isPlaying(dialog));
    if (capturePath()) {
        const size_t atDrop = captured().size();
        EXPECT_TRUE(soundArrives(sound, atDrop)) << "the loop did not go on after the drop";
        EXPECT_FALSE(contains(captured(), 0, Bytes(other.begin(), other.begin() + 64)))
            << "the dropped file was played";
    }

    // The next Play after Stop uses the dropped file.
    dialog.click(IDOK);
    ASSERT_TRUE(waitUntil([&] { return isIdle(dialog); }));
    dialog.click(IDOK);
    EXPECT_TRUE(waitUntil([&] { return isPlaying(dialog); }));
}

TEST_F(DialogTest, BrowseThenCancelKeepsTheField) {
    dialog.setText(IDC_PATH, L"C:\\kept.raw");
    dialog.click(IDC_BROWSE);
    HWND chooser = nullptr;
    ASSERT_TRUE(waitUntil([&] { return (chooser = dialog.findOwnedWindow()) != nullptr; }))
        << "the open-file dialog did not appear";
    PostMessageW(chooser, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(waitUntil([&] { return !IsWindow(chooser); }));
    EXPECT_EQ(dialog.text(IDC_PATH), L"C:\\kept.raw");
}

TEST_F(DialogTest, BrowseTakesANameThatNamesNoFileAndPlayReportsIt) {
    const std::string missing = missingPath();
    dialog.click(IDC_BROWSE);
    HWND chooser = nullptr;
    ASSERT_TRUE(waitUntil([&] { return (chooser = dialog.findOwnedWindow()) != nullptr; }));
    // The file name box: a combo box (cmb13) or an edit (edt1).
    HWND name = GetDlgItem(chooser, 0x47C);
    if (!name) name = GetDlgItem(chooser, 0x480);
    ASSERT_NE(name, nullptr);
    SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide(missing).c_str()));
    PostMessageW(chooser, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(waitUntil([&] { return !IsWindow(chooser); }));
    EXPECT_EQ(dialog.text(IDC_PATH), wide(missing));

    dialog.click(IDOK);
    EXPECT_EQ(takeErrorMessage(dialog), L"ファイルが開けません。");
}

// A path of 259 bytes, the longest the platform allows and what Browse or a
// drop can put into the field, reaches the player whole: cut by one byte it
// would name a file that does not exist.
TEST_F(DialogTest, PlaysAFileWhosePathIsTheLongestAllowed) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    std::string folder = std::string(temp) + "quorvel-long-" + std::to_string(GetCurrentProcessId());
    // Folders of up to 100 characters, the last ending near 240 characters
    // (a folder's path may not be longer than 247), then the file's name.
    std::vector<std::string> folders;
    while (folder.size() < 200) {
        folders.push_back(folder);
        folder += "\\" + std::string(std::min<size_t>(100, 239 - folder.size()), 'd');
    }
    folders.push_back(folder);
    for (const auto& each : folders)
        ASSERT_TRUE(CreateDirectoryA(each.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS)
            << each;
    const std::string path = folder + "\\" + std::string(259 - folder.size() - 1, 'f');
    ASSERT_EQ(path.size(), 259u);
    HANDLE created = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(created, INVALID_HANDLE_VALUE);
    const Bytes sound = patternBytes(4096);
    DWORD written = 0;
    WriteFile(created, sound.data(), static_cast<DWORD>(sound.size()), &written, nullptr);
    CloseHandle(created);

    dialog.setText(IDC_PATH, wide(path));
    dialog.click(IDOK);
    EXPECT_TRUE(waitUntil([&] { return isPlaying(dialog) || dialog.findOwnedWindow(L"エラー"); }));
    EXPECT_TRUE(isPlaying(dialog)) << "the long path did not open";
    if (!isPlaying(dialog)) takeErrorMessage(dialog);
    dialog.click(IDOK);
    waitUntil([&] { return isIdle(dialog); });

    DeleteFileA(path.c_str());
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) RemoveDirectoryA(it->c_str());
}

}  // namespace
