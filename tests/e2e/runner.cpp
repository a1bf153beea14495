// The scenario runner: for each scenario file (*.txt) it lays out a medium
// on drive G:, starts the program under test, holds the conversation the file
// describes and checks what the run left behind.
//   e2e_runner SCENARIO_DIRECTORY PROGRAM [PROBE]
// Paths may be Unix paths. Without PROBE the scenarios that run the probe
// are skipped. The exit status is the number of failed scenarios, or 77
// when the program cannot be started at all (no 32-bit Wine).
//
// A scenario is one step a line, '#' lines are comments; a scenario stops
// at its first failure. Every check waits a few seconds for its condition.
// In texts "\r" and "\t" stand for those characters, "\z" for Ctrl-Z.
//   medium    lst LINE           a line of INSTALL.LST (none: no script)
//             include FILE       the steps of FILE (shared media)
//             set KEYWORD REST   replaces the next script line of that keyword
//             put NAME TEXT      del NAME      a file of the medium
//             packed NAME TEXT   NAME compressed, under the name the compressor gives it
//             fill NAME BYTES    readonly NAME (or a path)      repeat N LINE  (N script lines, '#' the number)
//             picture NAME FORMAT W H RRGGBB...   quadrant colours, two: a checker;
//                                FORMAT bmp1 bmp4 bmp8 bmp24 rle8 pcx8 pcx24, os2, cut
//             medium PATH        an existing medium, used as it is and left in place
//   machine   mkdir PATH   dir PATH   nodir PATH   nofile PATH   (each removed before and after)
//             file PATH [TEXT]   writable PATH      needs X:   (skips the scenario without drive X:)
//             log PATH, then line TEXT ('?' any character) for each line, then logend
//             exists PATH   write PATH|BYTES   bytes PATH|TEXT   has PATH|TEXT (a part): "\r" is CR LF, {date} 06 Dec 2026
//             reg KEY|NAME|sz or expand|DATA   noreg KEY|NAME (KEY under HKCR, HKCU, HKLM; removed before and after)
//             version win31|win95|win7 (of setup.exe)   paths may hold %VARIABLES%
//             veto (a window that refuses the end of the session)   endsession 1|0   settingchange TEXT
//             prefix nodrives    runs only in the test bed's prefix without drives
//   run       run setup | run probe ARGS
//   windows   root CAPTION       the root window (pixel positions are in its client area)
//             dialog CAPTION     a dialog becomes the current window
//             box CAPTION        a message box becomes the current window; says TEXT
//             text ID [TEXT]   buttons A|B   default LABEL   focus ID   owner CAPTION
//             pos X Y            left and top: centre or a fraction of the screen
//             bar ID LOW HIGH POSITION   disabled (the root)   dialogs N   gone CAPTION
//             nobox              no message box comes within 1.5 s
//   screen    pixels X,Y=RRGGBB...   count X1,Y1 X2,Y2 RRGGBB N (at least N; 0: none)
//             X and Y are fractions of the client area, with a pixel offset: 0.375+1
//             redraw             the client area is redrawn
//   presses   click LABEL (posted BM_CLICK)   send LABEL (sent BM_CLICK)
//             mouse LABEL (a click at its centre)   key enter|escape|space|alt+X
//             type ID TEXT       sets an edit field's text and focuses it
//   the end   exit CODE   output TEXT (the first line the program printed)
//             patience SECONDS   how long later checks wait (5 s; windows 20 s)
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>

#include "lz_compress.h"
#include "robot.h"

namespace {

using namespace robot;

std::string WindowsPath(std::string p)
{
    if (p.empty() || p[0] != '/') return p;
    for (char& c : p) c = c == '/' ? '\\' : c;
    return "\\\\?\\unix" + p;
}

// "\r", "\t" and "\z" (Ctrl-Z) in scenario texts stand for those characters.
std::string Unescape(std::string s)
{
    for (std::size_t at = 0; (at = s.find('\\', at)) != std::string::npos; ++at)
        if (at + 1 < s.size() && (s[at + 1] == 'r' || s[at + 1] == 't' || s[at + 1] == 'z'))
            s.replace(at, 2, s[at + 1] == 'r' ? "\r" : s[at + 1] == 't' ? "\t" : "\x1a");
    return s;
}

std::vector<std::string> Split(const std::string& s, char by)
{
    std::vector<std::string> parts;
    std::stringstream in(s);
    for (std::string part; std::getline(in, part, by);) parts.push_back(part);
    return parts;
}

// A picture of quadrants (top-left, top-right, bottom-left, bottom-right; two
// colours make a checker) as FORMAT: bmp1 bmp4 bmp8 bmp24 rle8 pcx8 pcx24.
std::string Le(uint32_t v, int bytes)
{
    std::string s;
    for (; bytes > 0; --bytes, v >>= 8) s += static_cast<char>(v & 255);
    return s;
}

std::string Picture(const std::string& format, int w, int h, const std::vector<uint32_t>& colours)
{
    auto index = [&](int x, int y) {
        const int q = (y >= h / 2) * 2 + (x >= w / 2);
        return colours.size() == 2 ? (q ^ q >> 1) & 1 : q;
    };
    auto channel = [&](int x, int y, int shift) { return static_cast<char>(colours[index(x, y)] >> shift & 255); };
    std::string data;
    if (format.starts_with("pcx")) {
        const int planes = format == "pcx24" ? 3 : 1, line = (w + 1) & ~1;
        std::string file = "\x0a\x05\x01\x08" + Le(0, 4) + Le(w - 1, 2) + Le(h - 1, 2) + Le(72, 2) + Le(72, 2) +
                           std::string(49, '\0') + static_cast<char>(planes) + Le(line, 2) + Le(1, 2);
        file.resize(128, '\0');
        for (int y = 0; y < h; ++y) {
            std::string row;
            for (int p = 0; p < planes; ++p)
                for (int x = 0; x < line; ++x)
                    row += x >= w ? '\0' : planes == 1 ? static_cast<char>(index(x, y)) : channel(x, y, 16 - 8 * p);
            for (std::size_t i = 0, run = 1; i < row.size(); i += run, run = 1) {
                while (i + run < row.size() && run < 63 && row[i + run] == row[i]) ++run;
                file += static_cast<char>(0xC0 | run) + row.substr(i, 1);
            }
        }
        if (planes == 1) file += '\x0c';
        for (int i = 0; planes == 1 && i < 256; ++i)
            for (int shift : {16, 8, 0}) file += i < static_cast<int>(colours.size()) ? static_cast<char>(colours[i] >> shift & 255) : '\0';
        return file;
    }
    const int bits = format == "rle8" ? 8 : std::stoi(format.substr(3)), entries = bits == 24 ? 0 : 1 << bits;
    for (int y = h - 1; y >= 0; --y) {  // bottom row first
        std::string row;
        for (int x = 0; x < w; ++x) {
            if (format == "rle8") row += std::string("\1") + static_cast<char>(index(x, y));
            else if (bits == 24) row += std::string{channel(x, y, 0), channel(x, y, 8), channel(x, y, 16)};
            else {
                if (x % (8 / bits) == 0) row += '\0';
                row.back() = static_cast<char>(row.back() | index(x, y) << (8 - bits * (x % (8 / bits) + 1)));
            }
        }
        if (format == "rle8") row += std::string("\0\0", 2);
        while (format != "rle8" && row.size() % 4) row += '\0';
        data += row;
    }
    if (format == "rle8") data += std::string("\0\1", 2);
    std::string palette;
    for (int i = 0; i < entries; ++i) palette += Le(i < static_cast<int>(colours.size()) ? colours[i] : 0, 4);
    const uint32_t offset = 54 + static_cast<uint32_t>(palette.size());
    return "BM" + Le(offset + static_cast<uint32_t>(data.size()), 4) + Le(0, 4) + Le(offset, 4) + Le(40, 4) + Le(w, 4) +
           Le(h, 4) + Le(1, 2) + Le(bits, 2) + Le(format == "rle8", 4) + Le(static_cast<uint32_t>(data.size()), 4) +
           Le(2835, 4) + Le(2835, 4) + Le(entries, 4) + Le(0, 4) + palette + data;
}

// A path with %VARIABLES% of the environment expanded; "{date}" in a text as today's "06 Dec 2026".
std::string Expanded(const std::string& path)
{
    char buffer[2 * MAX_PATH] = {};
    const DWORD n = ExpandEnvironmentStringsA(path.c_str(), buffer, sizeof buffer);
    return n > 0 && n <= sizeof buffer ? buffer : path;
}

std::string Dated(std::string text)
{
    SYSTEMTIME t;
    GetLocalTime(&t);
    char date[16];
    std::snprintf(date, sizeof date, "%02d %.3s %04d", t.wDay, &"JanFebMarAprMayJunJulAugSepOctNovDec"[3 * (t.wMonth - 1)], t.wYear);
    if (const std::size_t at = text.find("{date}"); at != std::string::npos) text.replace(at, 6, date);
    return text;
}

// A registry value (key under HKCR, HKCU or HKLM) as "sz DATA", "expand DATA" or "none"; and its removal.
HKEY OpenKey(const std::string& key, REGSAM access)
{
    const std::string root = key.substr(0, key.find('\\'));
    HKEY h = nullptr;
    RegOpenKeyExA(root == "HKCR" ? HKEY_CLASSES_ROOT : root == "HKCU" ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, key.substr(root.size() + 1).c_str(), 0, access, &h);
    return h;
}

std::string ValueOf(const std::string& key, const std::string& name)
{
    HKEY h = OpenKey(key, KEY_QUERY_VALUE);
    char data[1024] = {};
    DWORD type = 0, size = sizeof data - 1;
    const bool found = h && RegQueryValueExA(h, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &size) == ERROR_SUCCESS;
    if (h) RegCloseKey(h);
    return !found ? "none" : (type == REG_EXPAND_SZ ? "expand " : type == REG_SZ ? "sz " : "type" + std::to_string(type) + " ") + data;
}

void DeleteValue(const std::string& key, const std::string& name)
{
    if (HKEY h = OpenKey(key, KEY_SET_VALUE)) RegDeleteValueA(h, name.c_str()), RegCloseKey(h);
}

// A hidden top-level window of the runner, made before the program starts: it refuses the end of the session (so a
// restart the program asks for ends nothing) and notes the setting change broadcast to it.
class VetoWindow {
public:
    std::atomic<int> queries{0};
    bool Start()
    {
        thread_ = std::thread([this] {
            WNDCLASSA c{0, Procedure, 0, 0, GetModuleHandleA(nullptr), nullptr, nullptr, nullptr, nullptr, "RunnerVeto"};
            RegisterClassA(&c);
            HWND w = CreateWindowA("RunnerVeto", "", WS_OVERLAPPED, 0, 0, 1, 1, nullptr, nullptr, c.hInstance, this);
            threadId_ = GetCurrentThreadId(), ready_ = w != nullptr;
            for (MSG m; GetMessageA(&m, nullptr, 0, 0) > 0;) DispatchMessageA(&m);
            DestroyWindow(w);
        });
        return WaitUntil([&] { return ready_.load(); });
    }
    std::string Changed() { return std::lock_guard(mutex_), changed_; }
    ~VetoWindow()
    {
        if (thread_.joinable()) PostThreadMessageA(threadId_, WM_QUIT, 0, 0), thread_.join();
    }

private:
    static LRESULT CALLBACK Procedure(HWND w, UINT m, WPARAM wp, LPARAM lp)
    {
        if (m == WM_NCCREATE) SetWindowLongPtrA(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams));
        auto* self = reinterpret_cast<VetoWindow*>(GetWindowLongPtrA(w, GWLP_USERDATA));
        if (m == WM_QUERYENDSESSION) return ++self->queries, FALSE;
        if (m == WM_SETTINGCHANGE && lp) std::lock_guard(self->mutex_), self->changed_ = reinterpret_cast<const char*>(lp);
        return DefWindowProcA(w, m, wp, lp);
    }
    std::thread thread_;
    std::atomic<bool> ready_{false};
    DWORD threadId_ = 0;
    std::mutex mutex_;
    std::string changed_;
};

class Scenario {
public:
    Scenario(std::string name, std::string directory, std::string program, std::string probe)
        : name_(std::move(name)), directory_(std::move(directory)), program_(std::move(program)),
          probe_(std::move(probe)), medium_("G:\\" + name_) {}
    ~Scenario()
    {
        process_.Kill();
        for (const std::string& p : machinePaths_) RemoveTree(p), SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL), DeleteFileA(p.c_str());
        for (const auto& [key, name] : values_) DeleteValue(key, name);
        if (versionSet_) RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\setup.exe");
        if (!givenMedium_) RemoveTree(medium_);
        DeleteFileA(output_.c_str());
    }
    // Runs the scenario; the text of the first failure, or blank.
    std::string Run(const std::vector<std::string>& lines, int& lineNumber, bool& skipped);

private:
    bool Step(const std::string& verb, const std::string& rest);
    std::string Fail(const std::string& what) { return failure_ = what; }
    HWND Button(const std::string& label);
    POINT Point(const std::string& spec);
    void Machine(const std::string& path, bool remove = true)
    {
        machinePaths_.push_back(path);
        if (remove) RemoveTree(path), SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL), DeleteFileA(path.c_str());  // a folder or a file
    }

    std::string name_, directory_, program_, probe_, medium_, failure_, output_;
    std::vector<std::string> script_, machinePaths_;
    Process process_;
    HWND root_ = nullptr, client_ = nullptr, current_ = nullptr;
    std::map<std::string, HWND> seen_;
    std::set<std::size_t> changed_;
    std::vector<std::string> log_;
    std::size_t logLine_ = 0;
    Duration patience_ = 5s, windowPatience_ = kPatience;
    bool givenMedium_ = false;
    std::set<std::pair<std::string, std::string>> values_;  // registry values checked: removed before and after
    bool versionSet_ = false;
    VetoWindow veto_;
};

std::string Scenario::Run(const std::vector<std::string>& lines, int& lineNumber, bool& skipped)
{
    // The test bed's prefix without drives runs only the scenarios made for it, and only it runs them.
    const bool noDrives = GetEnvironmentVariableA("MARROW_PREFIX", nullptr, 0) > 0;
    if (noDrives != (std::find(lines.begin(), lines.end(), "prefix nodrives") != lines.end())) return skipped = true, "";
    for (const std::string& line : lines)
        if (line.starts_with("medium ")) medium_ = line.substr(7), givenMedium_ = true;
    if (!givenMedium_) RemoveTree(medium_), CreateDirectoryA(medium_.c_str(), nullptr);
    for (lineNumber = 1; lineNumber <= static_cast<int>(lines.size()); ++lineNumber) {
        const std::string& line = lines[lineNumber - 1];
        if (line.empty() || line[0] == '#') continue;
        const std::size_t space = line.find(' ');
        const std::string verb = line.substr(0, space), rest = space == std::string::npos ? "" : line.substr(space + 1);
        if (verb == "run" && rest.starts_with("probe") && probe_.empty()) return (skipped = true, "");
        if (verb == "needs" && GetDriveTypeA((rest + "\\").c_str()) <= DRIVE_NO_ROOT_DIR) {
            std::printf("%s: skipped, no drive %s here (the small drive is mounted when the tests run as root)\n",
                        name_.c_str(), rest.c_str());
            return skipped = true, "";
        }
        if (!Step(verb, Unescape(rest))) return failure_.empty() ? "cannot " + line : failure_;
    }
    return {};
}

HWND Scenario::Button(const std::string& label)
{
    for (HWND c = GetWindow(current_, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (ClassName(c) == "Button" && WindowText(c) == label) return c;
    return nullptr;
}

// "X,Y": fractions of the root window's client area from its top-left
// corner, each with an optional pixel offset ("0.375+1").
POINT Scenario::Point(const std::string& spec)
{
    for (HWND w : TopWindows(process_.id()))
        if (!client_ && ClassName(w) == "MARROWFIELD") client_ = FindWindowExA(w, nullptr, "MARWCLIENT", nullptr);
    const RECT r = ClientScreenRectOf(client_);
    auto at = [](const std::string& s, int from, int size) {
        char* end = nullptr;
        const double f = std::strtod(s.c_str(), &end);
        return from + static_cast<int>(f * size + 0.5) + (*end ? std::atoi(end) : 0);
    };
    const std::vector<std::string> xy = Split(spec, ',');
    return {at(xy[0], r.left, r.right - r.left), at(xy[1], r.top, r.bottom - r.top)};
}

bool Scenario::Step(const std::string& verb, const std::string& rest)
{
    std::istringstream args(rest);
    auto expect = [&](const std::string& what, auto got, auto want) {
        if (WaitUntil([&] { return got() == want; }, patience_)) return true;
        std::ostringstream text;
        text << what << ": got " << got() << ", expected " << want;
        return Fail(text.str()), false;
    };
    // The medium and the machine.
    if (verb == "lst") return script_.push_back(rest), true;
    if (verb == "set") {  // replaces the next line of that keyword not set yet
        const std::string key = rest.substr(0, rest.find(' ') + 1);
        for (std::size_t i = 0; i < script_.size(); ++i)
            if (script_[i].starts_with(key) && !changed_.count(i)) return changed_.insert(i), script_[i] = rest, true;
        return false;
    }
    if (verb == "include") {
        for (const std::string& line : Split(ReadFile(directory_ + "\\" + rest), '\n'))
            if (!line.empty() && line[0] != '#' && !Step(line.substr(0, line.find(' ')), Unescape(line.substr(line.find(' ') + 1))))
                return false;
        return true;
    }
    if (verb == "del") return DeleteFileA((medium_ + "\\" + rest).c_str()) != 0;
    if (verb == "put") {
        std::string file, bytes;
        args >> file >> std::ws;
        std::getline(args, bytes);
        if (file.find('\\') != std::string::npos) CreateDirectoryA((medium_ + "\\" + file.substr(0, file.rfind('\\'))).c_str(), nullptr);
        return WriteFile(medium_ + "\\" + file, bytes), true;
    }
    if (verb == "picture") {
        std::string file, format;
        int w = 0, h = 0;
        std::vector<uint32_t> colours;
        args >> file >> format >> w >> h >> std::hex;
        for (uint32_t c; args >> c;) colours.push_back(c);
        std::string bytes = Picture(format == "os2" || format == "cut" ? "bmp24" : format, w, h, colours);
        if (format == "os2") bytes[14] = 12;
        if (format == "cut") bytes.resize(bytes.size() / 2);
        return WriteFile(medium_ + "\\" + file, bytes), true;
    }
    if (verb == "packed" || verb == "fill") {
        std::string file, bytes;
        args >> file >> std::ws;
        std::getline(args, bytes);
        if (verb == "fill") bytes = std::string(std::stoul(bytes), 'x');
        if (file.find('\\') != std::string::npos) CreateDirectoryA((medium_ + "\\" + file.substr(0, file.rfind('\\'))).c_str(), nullptr);
        if (verb == "fill") return WriteFile(medium_ + "\\" + file, bytes), true;
        const LzName name = LzCompressedName(file);
        const std::vector<uint8_t> packed = CompressLz(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), name.replacedChar);
        return WriteFile(medium_ + "\\" + name.name, std::string(packed.begin(), packed.end())), true;
    }
    if (verb == "readonly") return SetFileAttributesA((rest.find(':') == std::string::npos ? medium_ + "\\" + rest : rest).c_str(), FILE_ATTRIBUTE_READONLY) != 0;
    if (verb == "repeat") {
        int n = 0;
        args >> n >> std::ws;
        std::string line;
        std::getline(args, line);
        for (int i = 1; i <= n; ++i) {
            std::string numbered = line;
            for (std::size_t at; (at = numbered.find('#')) != std::string::npos;) numbered.replace(at, 1, std::to_string(i));
            script_.push_back(numbered);
        }
        return true;
    }
    if (verb == "file") {
        const std::string path = rest.substr(0, rest.find(' ')), text = rest.find(' ') == std::string::npos ? "" : rest.substr(rest.find(' ') + 1);
        return expect("file " + path, [&] { return FileExists(path) ? ReadFile(path).substr(0, text.empty() ? 0 : std::string::npos) : "(none)"; }, text);
    }
    if (verb == "writable") return expect("read-only " + rest, [&] { return (GetFileAttributesA(rest.c_str()) & FILE_ATTRIBUTE_READONLY) != 0; }, false);
    if (verb == "log") return log_ = Split(ReadFile(rest), '\n'), logLine_ = 0, !log_.empty() || (Fail("no log " + rest), false);
    if (verb == "logend") return logLine_ == log_.size() || (Fail("the log goes on: " + log_[logLine_]), false);
    if (verb == "line") {  // every line ends with CR LF
        std::string got = logLine_ < log_.size() ? log_[logLine_++] : "(the end)";
        if (!got.ends_with('\r')) return Fail("log line " + std::to_string(logLine_) + ": " + got + " (no CR LF)"), false;
        got.pop_back();
        for (std::size_t i = 0; i < got.size() && i < rest.size(); ++i)
            if (rest[i] == '?') got[i] = '?';
        return got == rest || (Fail("log line " + std::to_string(logLine_) + ": " + got), false);
    }
    if (verb == "patience") return patience_ = windowPatience_ = std::chrono::seconds(std::stoi(rest)), true;
    if (verb == "needs") return true;
    const std::string path = Expanded(rest.substr(0, rest.find('|')));  // %VARIABLES% of the environment expanded
    if (verb == "mkdir") return Machine(path), CreateDirectoryA(path.c_str(), nullptr) != 0;
    if (verb == "dir" || verb == "nodir") return Machine(path, false), expect(verb + " " + rest, [&] { return DirectoryExists(path); }, verb == "dir");
    if (verb == "nofile") return Machine(path), expect("nofile " + rest, [&] { return FileExists(path); }, false);
    if (verb == "exists") return Machine(path, false), expect("exists " + rest, [&] { return FileExists(path); }, true);
    std::string want = Dated(rest.substr(std::min(rest.size(), rest.find('|') + 1)));
    for (std::size_t at = 0; (at = want.find('\r', at)) != std::string::npos; at += 2) want.insert(at + 1, "\n");  // CR LF line ends
    if (verb == "write") return Machine(path), WriteFile(path, want), true;
    if (verb == "bytes" || verb == "has") {
        if (verb == "has") return expect("text in " + path, [&] { return ReadFile(path).find(want) != std::string::npos; }, true);
        return expect("bytes of " + path, [&] { return ReadFile(path); }, want);
    }
    if (verb == "reg" || verb == "noreg") {  // the first mention of a value removes it
        const std::vector<std::string> f = Split(rest + "|", '|');
        if (values_.insert({f[0], f[1]}).second) DeleteValue(f[0], f[1]);
        return expect(verb + " " + rest, [&] { return ValueOf(f[0], f[1]); }, verb == "reg" ? f[2] + " " + f[3] : "none");
    }
    if (verb == "version") return SetWineVersionFor("setup.exe", rest), versionSet_ = true;
    if (verb == "veto") return veto_.Start();
    if (verb == "endsession") {  // 1: asked for (and refused); 0: not asked for within 1.5 s
        if (rest == "1") return expect("end-session queries", [&] { return veto_.queries.load() > 0; }, true);
        return !WaitUntil([&] { return veto_.queries.load() > 0; }, 1500ms) || (Fail("the session was asked to end"), false);
    }
    if (verb == "settingchange") return expect("setting change", [&] { return veto_.Changed(); }, rest);
    if (verb == "prefix" || verb == "medium") return true;
    // The program and its windows.
    if (verb == "run") {
        StartOptions options;
        options.outputFile = "C:\\robot-" + name_ + ".txt";
        output_ = options.outputFile;
        if (rest.starts_with("probe")) return (process_ = Process::Start('"' + WindowsPath(probe_) + '"' + rest.substr(5), options)).started();
        std::string text;
        for (const std::string& line : script_) text += line + "\r\n";
        if (!script_.empty()) WriteFile(medium_ + "\\INSTALL.LST", text);
        CopyFileA(WindowsPath(program_).c_str(), (medium_ + "\\SETUP.EXE").c_str(), FALSE);
        options.workingDirectory = "C:\\";
        process_ = Process::Start('"' + medium_ + "\\SETUP.EXE\"", options);
        return process_.started() || (Fail("cannot start " + program_ + ": error " + std::to_string(GetLastError())), false);
    }
    if (verb == "root") {
        root_ = WaitForWindow(process_.id(), rest, "MARROWFIELD");
        client_ = root_ ? FindWindowExA(root_, nullptr, "MARWCLIENT", nullptr) : nullptr;
        return client_ || (Fail("no root window " + rest), false);
    }
    if (verb == "dialog") {
        WaitUntil([&] { return (current_ = WaitForWindow(process_.id(), rest, "#32770", 0ms)) ||
                               (client_ && (current_ = FindWindowExA(client_, nullptr, "#32770", rest.c_str()))); }, windowPatience_);
        return (seen_[rest] = current_) || (Fail("no dialog " + rest), false);
    }
    if (verb == "box") {
        current_ = WaitForMessageBox(process_.id(), windowPatience_).box;
        return current_ && expect("box caption", [&] { return WindowText(current_); }, rest);
    }
    if (verb == "says") return expect("box text", [&] { return ControlText(current_, 0xFFFF); }, rest);
    if (verb == "gone") return expect(rest + " gone", [&] { return IsWindow(seen_[rest]) != 0; }, false);
    if (verb == "nobox")
        return !WaitUntil([&] { return WaitForMessageBox(process_.id(), 0ms).box != nullptr; }, 1500ms) || (Fail("a box came"), false);
    if (verb == "dialogs") {
        auto count = [&] {
            int n = 0;
            for (HWND w : TopWindows(process_.id())) n += IsWindowVisible(w) && ClassName(w) == "#32770";
            return n;
        };
        return expect("dialogs", count, std::stoi(rest));
    }
    if (verb == "text") {
        int id = 0;
        args >> id >> std::noskipws;
        std::string text = rest.substr(std::min(rest.size(), rest.find(' ') + 1));
        return expect("text " + std::to_string(id), [&] { return ControlText(current_, id); }, rest.find(' ') == std::string::npos ? "" : text);
    }
    if (verb == "buttons") {
        return expect("buttons", [&] {
            std::string all;
            for (const std::string& label : ButtonLabels(current_)) all += (all.empty() ? "" : "|") + label;
            return all;
        }, rest);
    }
    if (verb == "default")
        return expect("default button", [&] { return (GetWindowLongA(Button(rest), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON; }, true);
    if (verb == "focus") return expect("focus", [&] { return GetDlgCtrlID(FocusedWindowOf(current_)); }, std::stoi(rest));
    if (verb == "owner") return expect("owner", [&] { return WindowText(GetWindow(current_, GW_OWNER)); }, rest);
    if (verb == "disabled") return expect("root enabled", [&] { return IsWindowEnabled(root_) != 0; }, false);
    if (verb == "bar") {
        int id, low, high, position;
        args >> id >> low >> high >> position;
        HWND bar = GetDlgItem(current_, id);
        return expect("range", [&] { return SendMessageA(bar, PBM_GETRANGE, TRUE, 0); }, low) &&
               expect("range", [&] { return SendMessageA(bar, PBM_GETRANGE, FALSE, 0); }, high) &&
               expect("position", [&] { return SendMessageA(bar, PBM_GETPOS, 0, 0); }, position);
    }
    if (verb == "pos") {  // left and top: "centre" or a fraction of the screen
        std::string x, y;
        args >> x >> y;
        auto place = [](const std::string& s, LONG from, LONG to, int screen) {
            const LONG want = s == "centre" ? (screen - (to - from)) / 2 : static_cast<LONG>(std::stod(s) * screen);
            return std::abs(from - want) <= 1 ? 0 : from - want;
        };
        const RECT r = ScreenRectOf(current_);
        return expect("left off by", [&] { return place(x, r.left, r.right, GetSystemMetrics(SM_CXSCREEN)); }, 0) &&
               expect("top off by", [&] { return place(y, r.top, r.bottom, GetSystemMetrics(SM_CYSCREEN)); }, 0);
    }
    if (verb == "pixels") {  // X,Y=RRGGBB ...
        for (std::string check; args >> check;) {
            const POINT p = Point(check.substr(0, check.find('=')));
            const uint32_t want = std::stoul(check.substr(check.find('=') + 1), nullptr, 16);
            auto got = [&] {
                const Pixel c = ScreenPixel(p.x, p.y);
                char hex[8];
                std::snprintf(hex, sizeof hex, "%02x%02x%02x", c.red, c.green, c.blue);
                return std::string(hex);
            };
            char hex[8];
            std::snprintf(hex, sizeof hex, "%06x", want);
            if (!expect("pixel " + check, got, std::string(hex))) return false;
        }
        return true;
    }
    if (verb == "count") {  // X1,Y1 X2,Y2 RRGGBB N: at least N such pixels (every 2nd row, 3rd column); 0: none
        std::string a, b;
        uint32_t colour = 0;
        int n = 0;
        args >> a >> b >> std::hex >> colour >> std::dec >> n;
        const POINT from = Point(a), to = Point(b);
        auto count = [&] {
            int found = 0;
            for (int y = from.y; y <= to.y; y += 2)
                for (int x = from.x; x <= to.x; x += 3)
                    found += ScreenPixel(x, y) == Pixel{int(colour >> 16), int(colour >> 8 & 255), int(colour & 255)};
            return n == 0 ? found : std::min(found, n);
        };
        return expect("pixels of " + rest, count, n);
    }
    if (verb == "redraw") return RedrawWindow(client_, nullptr, nullptr, RDW_INVALIDATE) != 0;
    // Pressing, as users and their tools do.
    if (verb == "click" || verb == "send" || verb == "mouse" || verb == "key") {
        HWND button = verb == "key" ? current_ : Button(rest);
        if (!button) return Fail("no button " + rest), false;
        const bool box = GetDlgItem(current_, 0xFFFF) != nullptr;
        if (verb == "key" ? !PressKey(current_, rest)
                          : !Press(button, verb == "click" ? PressBy::Post : verb == "send" ? PressBy::Send : PressBy::Mouse))
            return false;
        return !box || expect("box gone", [&] { return IsWindowVisible(current_) != 0; }, false);
    }
    if (verb == "type") {
        int id = 0;
        args >> id;
        const std::string text = rest.substr(rest.find(' ') + 1);
        SendMessageA(GetDlgItem(current_, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        return PostMessageA(current_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(current_, id)), TRUE) != 0;
    }
    if (verb == "exit") {
        DWORD code = ~0u;
        return process_.WaitForExit(kPatience, &code) && expect("exit code", [&] { return code; }, std::stoul(rest));
    }
    if (verb == "output") return expect("output", [&] {
        const std::string out = ReadFile(output_);
        return out.substr(0, out.find('\r'));
    }, rest);
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) return 100;
    const std::string directory = WindowsPath(argv[1]), program = argv[2], probe = argc > 3 ? argv[3] : "";
    int failed = 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "\\*.txt").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
        const std::string name = std::string(found.cFileName).substr(0, std::strlen(found.cFileName) - 4);
        int line = 0;
        bool skipped = false;
        std::string failure = Scenario(name, directory, program, probe)
                                  .Run(Split(ReadFile(directory + "\\" + found.cFileName), '\n'), line, skipped);
        if (failure.empty()) std::printf("%s: %s\n", name.c_str(), skipped ? "skipped" : "passed");
        else std::printf("SCENARIO FAILED %s.txt:%d: %s\n", name.c_str(), line, failure.c_str());
        std::fflush(stdout);
        failed += !failure.empty();
        if (failure.starts_with("cannot start")) return 77;  // not this program's fault: ctest skips
    }
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    return failed;
}
