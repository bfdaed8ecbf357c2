// The other side of scripts/test-windows, which drives osyl.exe under Wine:
//   wine_probe hold FILE SECONDS    holds FILE open for writing, as an editor would
//   wine_probe box CAPTION          waits for a message box so captioned; prints its text;
//                                   fails if a window of the program still takes input
//   wine_probe boxes CAPTION        prints how many message boxes so captioned are shown,
//                                   and "foreground" when one of them is the foreground
//                                   window
//   wine_probe start SHOW PROGRAM   starts PROGRAM as a launcher would, with show mode SHOW
//                                   (a number, as in STARTUPINFO); exits with its status
//   wine_probe send REQUEST         gives the program's task-bar button the task bar's
//                                   minimize, restore or close, or ends the session
//                                   (endsession)
//   wine_probe same PROGRAM SCREEN WINDOW [click|move X Y]...
//                                   compares WINDOW on a screenshot (xwd of the whole
//                                   screen) with PROGRAM's skin and the labels of the working
//                                   folder on the in-memory display after the same input, at
//                                   the same time of day and with the same time format
//   wine_probe clock PROGRAM SCREEN  prints the four clock digits the screenshot shows, each
//                                   found by comparing it with PROGRAM's skin pictures
// Exits with 0 when the check holds, 1 with the reason on standard error otherwise.
#include "app/application.h"
#include "platform/clock.h"
#include "platform/win32/text_win32.h"
#include "skin/skin_loader.h"
#include "support/headless_backend.h"
#include "support/pictures.h"

#include <windows.h>
// after windows.h
#include <shellapi.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <span>
#include <string>
#include <vector>

namespace osyl {
namespace {

int fail(const std::string& reason) {
    std::cerr << "wine_probe: " << reason << "\n";
    return 1;
}

int hold(const std::string& file, int seconds) {
    HANDLE writer =
        CreateFileW(to_utf16(file).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_ALWAYS, 0, nullptr);
    if (writer == INVALID_HANDLE_VALUE) return fail("cannot open " + file);
    std::cout << "holding " << file << std::endl;
    Sleep(static_cast<DWORD>(seconds) * 1000);
    CloseHandle(writer);
    return 0;
}

int start(int show, const std::string& program) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(show);
    PROCESS_INFORMATION process{};
    std::wstring command = L"\"" + to_utf16(program) + L"\"";
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return fail("cannot start " + program);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 1;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(status);
}

int send(const std::string& request) {
    HWND button = FindWindowW(L"OsylApplication", nullptr);
    if (button == nullptr) return fail("no task-bar window of the program");
    if (request == "endsession") {
        if (!SendMessageW(button, WM_QUERYENDSESSION, 0, 0)) return fail("the session end refused");
        SendMessageW(button, WM_ENDSESSION, TRUE, 0);
        return 0;
    }
    WPARAM command = request == "minimize"  ? SC_MINIMIZE
                     : request == "restore" ? SC_RESTORE
                                            : SC_CLOSE;
    PostMessageW(button, WM_SYSCOMMAND, command, 0);
    return 0;
}

// A message box is a dialog whose text is the static control 0xFFFF. While it is open the
// program's windows take no input.
int box(const std::string& caption) {
    for (int attempt = 0; attempt < 200; ++attempt) {
        HWND found = FindWindowW(L"#32770", to_utf16(caption).c_str());
        if (found && IsWindowVisible(found)) {
            wchar_t text[1024] = {};
            int length = GetDlgItemTextW(found, 0xFFFF, text, 1024);
            std::cout << to_utf8(text, length) << std::endl;
            for (const wchar_t* form : {L"Form1", L"Form2"}) {
                if (IsWindowEnabled(FindWindowW(L"OsylForm", form)))
                    return fail(to_utf8(form) + " is enabled under the report");
            }
            return 0;
        }
        Sleep(50);
    }
    return fail("no message box captioned " + caption);
}

int boxes(const std::string& caption) {
    std::wstring title = to_utf16(caption);
    int count = 0;
    bool foreground = false;
    for (HWND box = nullptr; (box = FindWindowExW(nullptr, box, L"#32770", title.c_str()));) {
        count += IsWindowVisible(box) ? 1 : 0;
        foreground = foreground || box == GetForegroundWindow();
    }
    std::cout << count << (foreground ? " foreground" : "") << std::endl;
    return 0;
}

Picture read_screenshot(const std::string& path) {
    std::ifstream in(std::filesystem::path(to_utf16(path)), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return test::parse_xwd(bytes);
}

// The in-memory program must find every picture of the skin: were the skin missing on both
// sides, the pictures would agree without proving anything.
int same(const std::string& program, const std::string& screen, const std::string& window,
         std::span<const std::string> input) {
    HeadlessBackend backend;
    backend.set_executable_path(program);
    backend.set_locale(read_locale_values());
    SYSTEMTIME now{};
    GetLocalTime(&now);
    backend.set_time(now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
    Application app(backend);
    app.start();
    app.run_pending();
    for (std::size_t i = 0; i + 2 < input.size(); i += 3) {
        Point at{std::stoi(input[i + 1]), std::stoi(input[i + 2])};
        if (std::string(input[i]) == "click")
            backend.click(at);
        else
            backend.move(at);
        app.run_pending();
    }
    for (const auto& box : backend.boxes()) {
        if (box.spec.text.starts_with("Cannot open file"))
            return fail("the in-memory program reported: " + box.spec.text);
    }
    const HeadlessBackend::WindowState& expected = backend.window(window);
    if (!expected.shown) return fail(window + " is hidden on the in-memory display");
    Picture seen = test::crop(read_screenshot(screen), expected.bounds);
    std::string difference = test::differences(seen, expected.pixels);
    return difference.empty() ? 0 : fail(window + " differs: " + difference);
}

// Reads the digits independently of the clock's own logic: a wrong hour style would make
// the in-memory twin of `same` agree with a wrong screen.
int clock(const std::string& program, const std::string& screen) {
    Picture shot = read_screenshot(screen);
    std::string shown;
    for (int left : {64, 75, 92, 103}) {  // c1..c4; columns 1 to 10 are never covered
        char found = '?';
        for (char d = '0'; d <= '9'; ++d) {
            Picture digit = load_skin_picture(program, std::string("skin\\c") + d + ".bmp");
            bool same = true;
            for (int y = 0; y < digit.height() && same; ++y)
                for (int x = 1; x < 11 && same; ++x)
                    same = digit.at(x, y) == shot.at(left + x, test::bar_area.top + 6 + y);
            if (same) found = d;
        }
        shown += found;
    }
    std::cout << shown << std::endl;
    return shown.find('?') == std::string::npos ? 0 : fail("no digit matches: " + shown);
}

}  // namespace
}  // namespace osyl

// The arguments in UTF-8, whatever the ANSI code page: folders may have any name.
std::vector<std::string> arguments() {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 0; i < count; ++i) args.push_back(osyl::to_utf8(wide[i]));
    LocalFree(wide);
    return args;
}

int main() {
    const std::vector<std::string> a = arguments();
    const std::size_t n = a.size();
    const std::string command = n > 1 ? a[1] : "";
    try {
        if (command == "hold" && n == 4) return osyl::hold(a[2], std::stoi(a[3]));
        if (command == "start" && n == 4) return osyl::start(std::stoi(a[2]), a[3]);
        if (command == "send" && n == 3) return osyl::send(a[2]);
        if (command == "box" && n == 3) return osyl::box(a[2]);
        if (command == "boxes" && n == 3) return osyl::boxes(a[2]);
        if (command == "clock" && n == 4) return osyl::clock(a[2], a[3]);
        if (command == "same" && n >= 5 && (n - 5) % 3 == 0)
            return osyl::same(a[2], a[3], a[4], std::span(a).subspan(5));
    } catch (const std::exception& e) {
        return osyl::fail(e.what());
    }
    return osyl::fail(
        "usage: wine_probe hold FILE SECONDS | start SHOW PROGRAM | "
        "send REQUEST | box CAPTION | boxes CAPTION | clock PROGRAM SCREEN | "
        "same PROGRAM SCREEN WINDOW [click|move X Y]...");
}
