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
//             include FILE [ARGUMENTS]   the steps of FILE (shared media), with $1, $2 ... as the arguments
//             set KEYWORD REST   replaces the next script line of that keyword
//             put NAME TEXT      del NAME      a file of the medium
//             packed NAME TEXT   NAME compressed, under the name the compressor gives it (packedfill NAME BYTES)
//             readonly NAME (or a path)      repeat N LINE  (N script lines, '#' the number)
//             picture NAME FORMAT W H RRGGBB...   a 24-bit BMP of quadrant colours, two: a checker;
//                                FORMAT bmp24, os2 (a header of the wrong size), cut (the second half missing)
//             medium PATH        an existing medium, used as it is and left in place
//   machine   mkdir PATH   dir PATH   nodir PATH   nofile PATH   (each removed before and after)
//             cut NAME BYTES     poke NAME OFFSET TEXT    (a medium file cut short, or changed)
//             file PATH [TEXT]   needs X:   (skips the scenario without drive X:)
//             log PATH, then line TEXT ('?' any character) for each line, then logend
//             exists PATH   write PATH|BYTES   bytes PATH|TEXT   has PATH|TEXT (a part)
//                                "\r" is CR LF, {date} today's date as 06 Dec 2026
//             nofile PATH (may hold * and ?)    leave PATH BYTES (a file that leaves BYTES free on its drive)
//             reg KEY|NAME|sz or expand|DATA   noreg KEY|NAME (KEY under HKCR, HKCU, HKLM; removed before and after)
//             version win31|win95|win7 (of setup.exe and uninst.exe)   paths may hold %VARIABLES%
//             nokey KEY (removed with its subkeys)   snapshot ITEM|ITEM... (keys, paths), later unchanged
//             restart (what Windows does at its next start: files and directories it was to remove go)   kill
//             veto (a window that refuses the end of the session)   endsession 1|0   settingchange TEXT
//             progman GROUPS|hung (with veto: a Program Manager)   dde TEXT (the commands it ran)
//             prefix nodrives    runs only in the test bed's prefix without drives
//             user Administrator runs only in the sessions of that user
//   run       run setup | run probe ARGS | start PROGRAM ARGS (on the machine)   output TEXT (how its output begins)
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
#include <ddeml.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>
#include <utility>

#include "lz_compress.h"
#include "robot.h"

namespace {

using namespace robot;
using namespace std;

string directory, program, probe;  // the runner's arguments
bool program32 = false;            // a 32-bit program: its HKLM\Software is the 32-bit view

string WindowsPath(string p)
{
    if (!p.starts_with('/')) return p;
    replace(p.begin(), p.end(), '/', '\\');
    return "\\\\?\\unix" + p;
}

string Replaced(string s, const string& from, const string& to)
{
    for (size_t at = 0; (at = s.find(from, at)) != string::npos; at += to.size()) s.replace(at, from.size(), to);
    return s;
}

// "\r", "\t" and "\z" (Ctrl-Z) in scenario texts stand for those characters.
string Unescape(const string& s) { return Replaced(Replaced(Replaced(s, "\\r", "\r"), "\\t", "\t"), "\\z", "\x1a"); }

vector<string> Split(const string& s, char by)
{
    vector<string> parts;
    stringstream in(s);
    for (string part; getline(in, part, by);) parts.push_back(part);
    return parts;
}

// The first word of a step and what follows it (blank without a space).
string Head(const string& s) { return s.substr(0, s.find(' ')); }
string Tail(const string& s) { return s.find(' ') == string::npos ? "" : s.substr(s.find(' ') + 1); }

// Little-endian numbers of pictures; a colour as six hex digits.
string Le(uint32_t v, int bytes) { return bytes ? char(v & 255) + Le(v >> 8, bytes - 1) : ""; }
string Hex(uint32_t c)
{
    char t[8];
    snprintf(t, sizeof t, "%06x", c);
    return t;
}

// A 24-bit BMP of quadrants (top-left, top-right, bottom-left, bottom-right; two colours make a checker).
string Picture(int w, int h, const vector<uint32_t>& colours)
{
    string data;
    for (int y = h - 1; y >= 0; --y) {  // bottom row first, rows of whole 4 bytes
        for (int x = 0; x < w; ++x) {
            const int q = (y >= h / 2) * 2 + (x >= w / 2);
            data += Le(colours[colours.size() == 2 ? (q ^ q >> 1) & 1 : q], 3);
        }
        data += string(-w * 3 & 3, '\0');
    }
    return "BM" + Le(54 + data.size(), 4) + Le(0, 4) + Le(54, 4) + Le(40, 4) + Le(w, 4) + Le(h, 4) + Le(1, 2) +
           Le(24, 2) + Le(0, 4) + Le(data.size(), 4) + Le(2835, 4) + Le(2835, 4) + Le(0, 8) + data;
}

// A path with %VARIABLES% of the environment expanded; "{date}" in a text as today's "06 Dec 2026".
string Expanded(const string& path)
{
    char buffer[2 * MAX_PATH] = {};
    const DWORD n = ExpandEnvironmentStringsA(path.c_str(), buffer, sizeof buffer);
    return n > 0 && n <= sizeof buffer ? buffer : path;
}

string Dated(const string& text)
{
    char date[16] = {};
    GetDateFormatA(LOCALE_INVARIANT, 0, nullptr, "dd MMM yyyy", date, sizeof date);
    return Replaced(text, "{date}", date);
}

// A registry value (key under HKCR, HKCU or HKLM) as "sz DATA", "expand DATA" or "none"; and its removal.
HKEY Root(const string& key)
{
    return key.starts_with("HKCR")   ? HKEY_CLASSES_ROOT
           : key.starts_with("HKCU") ? HKEY_CURRENT_USER
                                     : HKEY_LOCAL_MACHINE;
}

// A key opened in the view the program under test has of it.
HKEY Open(const string& key, REGSAM access)
{
    HKEY h = nullptr;
    const REGSAM view = program32 && key.starts_with("HKLM") ? KEY_WOW64_32KEY : 0;
    const string subkey = key.size() > 5 ? key.substr(5) : "";
    return RegOpenKeyExA(Root(key), subkey.c_str(), 0, access | view, &h) == ERROR_SUCCESS ? h : nullptr;
}

string ValueOf(const string& key, const string& name)
{
    char data[1024] = {};
    DWORD type = 0, size = sizeof data - 1;
    HKEY h = Open(key, KEY_READ);
    const LONG status =
        h ? RegQueryValueExA(h, name.c_str(), nullptr, &type, LPBYTE(data), &size) : ERROR_FILE_NOT_FOUND;
    if (h) RegCloseKey(h);
    if (status != ERROR_SUCCESS) return "none";
    return (type == REG_EXPAND_SZ ? "expand " : type == REG_SZ ? "sz " : "type" + to_string(type) + " ") + data;
}

void DeleteValue(const string& key, const string& name)
{
    if (HKEY h = Open(key, KEY_SET_VALUE)) {
        RegDeleteValueA(h, name.c_str());
        RegCloseKey(h);
    }
}

vector<string> SubkeysOf(const string& key)
{
    vector<string> subkeys;
    HKEY h = Open(key, KEY_READ);
    if (!h) return subkeys;
    char name[512];
    for (DWORD i = 0, n = sizeof name; RegEnumKeyExA(h, i, name, &n, nullptr, nullptr, nullptr, nullptr) == 0;
         ++i, n = sizeof name)
        subkeys.push_back(name);
    RegCloseKey(h);
    return subkeys;
}

void DeleteKeyTree(const string& key)
{
    for (const string& k : SubkeysOf(key)) DeleteKeyTree(key + "\\" + k);
    if (HKEY parent = Open(key.substr(0, key.rfind('\\')), KEY_WRITE)) {
        RegDeleteKeyA(parent, key.substr(key.rfind('\\') + 1).c_str());
        RegCloseKey(parent);
    }
}

// What a registry key or a path holds, all the way down: values with their types and data, files with their bytes.
string StateOf(const string& item)
{
    string state;
    if (item.starts_with("HK")) {
        HKEY h = Open(item, KEY_READ);
        if (!h) return "(none)";
        char name[512];
        BYTE data[4096];
        for (DWORD i = 0, n = sizeof name, type = 0, size = sizeof data;
             RegEnumValueA(h, i, name, &n, nullptr, &type, data, &size) == ERROR_SUCCESS;
             ++i, n = sizeof name, size = sizeof data)
            state += string(name) + "=" + to_string(type) + ":" + string(data, data + size) + "\n";
        RegCloseKey(h);
        for (const string& k : SubkeysOf(item)) state += "[" + k + "]\n" + StateOf(item + "\\" + k);
        return state;
    }
    if (!DirectoryExists(item)) return FileExists(item) ? ReadFile(item) : "(none)";
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((item + "\\*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
        if (string name = found.cFileName; name != "." && name != "..")
            state += name + ":" + StateOf(item + "\\" + name) + "\n";
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    return state;
}

// A hidden top-level window of the runner, made before the program starts: it refuses the end of the session (so a
// restart the program asks for ends nothing) and notes the setting change broadcast to it.
class VetoWindow {
public:
    atomic<int> queries{0};
    bool Start()  // again: afresh
    {
        Stop();
        self = this;
        ready_ = false;
        thread_ = thread([this] {
            WNDCLASSA c{0,       Procedure, 0,       0,       GetModuleHandleA(nullptr),
                        nullptr, nullptr,   nullptr, nullptr, "RunnerVeto"};
            RegisterClassA(&c);
            HWND w = CreateWindowA("RunnerVeto", "", WS_OVERLAPPED, 0, 0, 1, 1, nullptr, nullptr, c.hInstance, nullptr);
            // A Program Manager of its own, answering before Wine's.
            if (!groups_.empty() && DdeInitializeA(&dde_, Dde, CBF_SKIP_ALLNOTIFICATIONS, 0) == DMLERR_NO_ERROR)
                DdeNameService(dde_, DdeCreateStringHandleA(dde_, "PROGMAN", CP_WINANSI), nullptr, DNS_REGISTER);
            threadId_ = GetCurrentThreadId();
            ready_ = w;
            for (MSG m; GetMessageA(&m, nullptr, 0, 0) > 0;) DispatchMessageA(&m);
            DestroyWindow(w);
            if (dde_) DdeUninitialize(exchange(dde_, 0));
        });
        return WaitUntil([&] { return ready_.load(); });
    }
    string Changed()
    {
        lock_guard lock(mutex_);
        return changed_;
    }
    string Executed()
    {
        lock_guard lock(mutex_);
        return executed_;
    }
    string groups_;  // "hung": it connects and then answers nothing; else its groups, "|" a line end
    void Stop()
    {
        if (!thread_.joinable()) return;
        PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
        thread_.join();
    }
    ~VetoWindow() { Stop(); }

private:
    static LRESULT CALLBACK Procedure(HWND w, UINT m, WPARAM wp, LPARAM lp)
    {
        if (m == WM_QUERYENDSESSION) {
            ++self->queries;
            return FALSE;
        }
        if (m == WM_SETTINGCHANGE && lp) {
            lock_guard lock(self->mutex_);
            self->changed_ = (const char*)lp;
        }
        return DefWindowProcA(w, m, wp, lp);
    }
    static HDDEDATA CALLBACK Dde(UINT type, UINT, HCONV, HSZ, HSZ item, HDDEDATA data, ULONG_PTR, ULONG_PTR)
    {
        if (type == XTYP_CONNECT) return HDDEDATA(TRUE);
        if (self->groups_ == "hung") return HDDEDATA(CBR_BLOCK);
        lock_guard lock(self->mutex_);
        string& known = self->groups_;  // a group it creates is in the next list
        if (type == XTYP_REQUEST)
            return DdeCreateDataHandle(self->dde_, LPBYTE(known.c_str()), DWORD(known.size() + 1), 0, item, CF_TEXT, 0);
        char text[1100] = {};
        if (type != XTYP_EXECUTE || !DdeGetData(data, LPBYTE(text), sizeof text - 1, 0)) return nullptr;
        if (string t = text; t.starts_with("[CreateGroup(")) known += "\r\n" + t.substr(13, t.size() - 15);
        self->executed_ += text;
        return HDDEDATA(DDE_FACK);
    }
    static inline VetoWindow* self;  // there is one at a time
    thread thread_;
    atomic<bool> ready_{false};
    DWORD threadId_ = 0;
    mutex mutex_;
    string changed_, executed_;
    DWORD dde_ = 0;
};

class Scenario {
public:
    explicit Scenario(const string& name) : name_(name), medium_("G:\\" + name) {}
    ~Scenario()
    {
        process_.Kill();
        for (const string& p : machinePaths_) Remove(p);
        for (const auto& [key, name] : values_) DeleteValue(key, name);
        if (versionSet_) RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\setup.exe");
        if (versionSet_) RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\uninst.exe");
        if (!givenMedium_) RemoveTree(medium_);
        DeleteFileA(output_.c_str());
    }
    // Runs the scenario; the text of the first failure, or blank.
    string Run(const vector<string>& lines, int& lineNumber, bool& skipped);

private:
    bool Step(const string& line);
    bool Fail(const string& what)
    {
        failure_ = what;
        return false;
    }
    // Waits for got() to give want; false with a failure text that says what came instead.
    bool Expect(const string& what, auto want, auto got)
    {
        if (WaitUntil([&] { return got() == want; }, patience_)) return true;
        ostringstream text;
        text << what << ": got " << got() << ", expected " << want;
        return Fail(text.str());
    }
    HWND Button(const string& label)
    {
        return current_ ? FindWindowExA(current_, nullptr, "Button", label.c_str()) : nullptr;
    }
    POINT Point(const string& spec);
    static void Remove(const string& p)
    {
        RemoveTree(p);
        SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(p.c_str());
    }
    // A path of the machine the scenario looks at, removed after it (and before, unless the program made it).
    void Machine(const string& path, bool remove = true)
    {
        machinePaths_.push_back(path);
        if (remove) Remove(path);
    }
    // A file of the medium (NAME may have a folder), with its bytes.
    bool Put(const string& name, const string& bytes)
    {
        if (name.find('\\') != string::npos)
            CreateDirectoryA((medium_ + "\\" + name.substr(0, name.rfind('\\'))).c_str(), nullptr);
        WriteFile(medium_ + "\\" + name, bytes);
        return true;
    }

    string name_, medium_, failure_, output_;
    vector<string> script_, machinePaths_, log_;
    size_t logLine_ = 0;
    Process process_;
    HWND root_ = nullptr, client_ = nullptr, current_ = nullptr;
    map<string, HWND> seen_;
    set<size_t> changed_;
    Duration patience_ = 5s, windowPatience_ = kPatience;
    bool givenMedium_ = false, versionSet_ = false;
    set<pair<string, string>> values_;  // registry values checked: removed before and after
    vector<pair<string, string>> snapshot_;
    VetoWindow veto_;
};

string Scenario::Run(const vector<string>& lines, int& lineNumber, bool& skipped)
{
    // The test bed's prefix without drives, and its sessions as Administrator, run only the scenarios made for them,
    // and only they run them.
    auto has = [&](const char* line) { return find(lines.begin(), lines.end(), line) != lines.end(); };
    if ((GetEnvironmentVariableA("MARROW_PREFIX", nullptr, 0) > 0) != has("prefix nodrives") ||
        (GetEnvironmentVariableA("MARROW_USER", nullptr, 0) > 0) != has("user Administrator")) {
        skipped = true;
        return "";
    }
    for (const string& line : lines) {
        givenMedium_ = givenMedium_ || line.starts_with("medium ");
        if (line.starts_with("medium ")) medium_ = line.substr(7);
    }
    if (!givenMedium_) {
        RemoveTree(medium_);
        CreateDirectoryA(medium_.c_str(), nullptr);
    }
    for (lineNumber = 1; lineNumber <= int(lines.size()); ++lineNumber) {
        const string& line = lines[lineNumber - 1];
        const string verb = Head(line), rest = Tail(line);
        if (line.empty() || line[0] == '#') continue;
        const bool noDrive = verb == "needs" && GetDriveTypeA((rest + "\\").c_str()) <= DRIVE_NO_ROOT_DIR;
        if (noDrive)
            printf("%s: skipped, no drive %s here (the small drive is mounted when the tests run as root)\n",
                   name_.c_str(), rest.c_str());
        skipped = noDrive || (verb == "run" && rest.starts_with("probe") && probe.empty());
        if (skipped) return "";
        if (!Step(Unescape(line))) return failure_.empty() ? "cannot " + line : failure_;
    }
    return {};
}

// "X,Y": fractions of the root window's client area from its top-left
// corner, each with an optional pixel offset ("0.375+1").
POINT Scenario::Point(const string& spec)
{
    for (HWND w : TopWindows(process_.id()))
        if (!client_ && ClassName(w) == "MARROWFIELD") client_ = FindWindowExA(w, nullptr, "MARWCLIENT", nullptr);
    const RECT r = ClientScreenRectOf(client_);
    auto at = [](const string& s, int from, int size) {
        char* end;
        const double f = strtod(s.c_str(), &end);
        return from + int(f * size + 0.5) + atoi(end);
    };
    return {at(spec, r.left, r.right - r.left), at(spec.substr(spec.find(',') + 1), r.top, r.bottom - r.top)};
}

bool Scenario::Step(const string& line)
{
    const string verb = Head(line), rest = Tail(line), word = Head(rest), tail = Tail(rest);
    const vector<string> w = Split(rest, ' ');
    // The medium and the machine.
    if (verb == "lst") script_.push_back(rest);
    if (verb == "set") {  // replaces the next line of that keyword not set yet
        const string key = rest.substr(0, rest.find(' ') + 1);
        size_t i = 0;
        while (i < script_.size() && !(script_[i].starts_with(key) && changed_.insert(i).second)) ++i;
        if (i == script_.size()) return false;
        script_[i] = rest;
    }
    if (verb == "include") {
        const vector<string> arguments = Split(tail, ' ');
        for (string step : Split(ReadFile(directory + "\\" + word), '\n')) {
            for (size_t i = 0; i < arguments.size(); ++i) step = Replaced(step, "$" + to_string(i + 1), arguments[i]);
            if (!step.empty() && step[0] != '#' && !Step(Unescape(step))) return false;
        }
    }
    if (verb == "del") return DeleteFileA((medium_ + "\\" + rest).c_str());
    if (verb == "put") return Put(word, tail);
    if (verb == "cut" || verb == "poke") {
        string bytes = ReadFile(medium_ + "\\" + word);
        if (verb == "cut") return Put(word, bytes.substr(0, stoul(tail)));
        return Put(word, bytes.replace(stoul(Head(tail)), Tail(tail).size(), Tail(tail)));
    }
    if (verb == "packed" || verb == "packedfill") {
        const LzName name = LzCompressedName(word);
        const string text = verb == "packed" ? tail : string(stoul(tail), 'x');
        const vector<uint8_t> packed = CompressLz(span((const uint8_t*)text.data(), text.size()), name.replacedChar);
        return Put(name.name, string(packed.begin(), packed.end()));
    }
    if (verb == "picture") {  // os2: a header of the wrong size; cut: the second half missing
        vector<uint32_t> colours;
        for (size_t i = 4; i < w.size(); ++i) colours.push_back(stoul(w[i], nullptr, 16));
        string bytes = Picture(stoi(w[2]), stoi(w[3]), colours);
        if (w[1] == "os2") bytes[14] = 12;
        return Put(w[0], bytes.substr(0, w[1] == "cut" ? bytes.size() / 2 : bytes.size()));
    }
    if (verb == "readonly") {
        const string name = rest.find(':') == string::npos ? medium_ + "\\" + rest : rest;
        return SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_READONLY);
    }
    if (verb == "repeat") {  // '#' in the line as its number
        for (int i = 1, n = stoi(word); i <= n; ++i) script_.push_back(Replaced(tail, "#", to_string(i)));
    }
    if (verb == "file") {
        return Expect("file " + word, tail, [&] {
            return FileExists(word) ? ReadFile(word).substr(0, tail.empty() ? 0 : string::npos) : "(none)";
        });
    }
    if (verb == "log") {
        log_ = Split(ReadFile(rest), '\n');
        logLine_ = 0;
        return !log_.empty() || Fail("no log " + rest);
    }
    if (verb == "logend") return logLine_ == log_.size() || Fail("the log goes on: " + log_[logLine_]);
    if (verb == "line") {  // every line ends with CR LF
        string got = logLine_ < log_.size() ? log_[logLine_++] : "(the end)";
        const string where = "log line " + to_string(logLine_) + ": ";
        if (!got.ends_with('\r')) return Fail(where + got + " (no CR LF)");
        got.pop_back();
        for (size_t i = 0; i < got.size() && i < rest.size(); ++i) got[i] = rest[i] == '?' ? '?' : got[i];
        return got == rest || Fail(where + got);
    }
    if (verb == "patience") {
        patience_ = chrono::seconds(stoi(rest));
        windowPatience_ = patience_;
    }
    const string path = Expanded(rest.substr(0, rest.find('|')));  // %VARIABLES% of the environment expanded
    const bool anyName = path.find_first_of("*?") != string::npos;
    // What a path should hold: "\r" as CR LF.
    const string want = Replaced(Dated(rest.substr(min(rest.size(), rest.find('|') + 1))), "\r", "\r\n");
    if (verb == "mkdir" || verb == "dir" || verb == "nodir" || verb == "write" || (verb == "nofile" && !anyName) ||
        verb == "exists" || verb == "leave")
        Machine(verb == "leave" ? word : path,
                verb == "mkdir" || verb == "write" || verb == "nofile" || verb == "leave");
    if (verb == "mkdir") return CreateDirectoryA(path.c_str(), nullptr);
    if (verb == "dir" || verb == "nodir")
        return Expect(verb + " " + rest, verb == "dir", [&] { return DirectoryExists(path); });
    if (verb == "nofile" && anyName) {
        WIN32_FIND_DATAA found;
        const HANDLE h = FindFirstFileA(path.c_str(), &found);
        if (h != INVALID_HANDLE_VALUE) FindClose(h);
        return h == INVALID_HANDLE_VALUE || Fail("a file " + string(found.cFileName));
    }
    if (verb == "nofile" || verb == "exists")
        return Expect(verb + " " + rest, verb == "exists", [&] { return FileExists(path); });
    if (verb == "write") WriteFile(path, want);
    if (verb == "leave") {  // a file PATH that leaves BYTES free on its drive
        ULARGE_INTEGER free{};
        GetDiskFreeSpaceExA((word.substr(0, 2) + "\\").c_str(), &free, nullptr, nullptr);
        WriteFile(word, string(free.QuadPart - min<uint64_t>(free.QuadPart, stoull(tail)), 'x'));
    }
    if (verb == "has")
        return Expect("text in " + path, true, [&] { return ReadFile(path).find(want) != string::npos; });
    if (verb == "bytes") return Expect("bytes of " + path, want, [&] { return ReadFile(path); });
    if (verb == "reg" || verb == "noreg") {  // the first mention of a value removes it
        const vector<string> f = Split(rest + "|", '|');
        if (values_.insert({f[0], f[1]}).second) DeleteValue(f[0], f[1]);
        return Expect(verb + " " + rest, verb == "reg" ? f[2] + " " + f[3] : "none",
                      [&] { return ValueOf(f[0], f[1]); });
    }
    if (verb == "version") {
        versionSet_ = true;
        SetWineVersionFor("setup.exe", rest);
        SetWineVersionFor("uninst.exe", rest);
    }
    if (verb == "nokey") DeleteKeyTree(rest);
    if (verb == "kill") process_.Kill();
    if (verb == "restart") {  // what Windows does at its next start: the files and directories it was to remove
        StartOptions options;
        options.workingDirectory = "C:\\";
        Process boot = Process::Start("wineboot.exe -r", options);
        return boot.WaitForExit(kPatience, nullptr) || Fail("wineboot -r did not end");
    }
    if (verb == "snapshot") {  // ITEM|ITEM...: keys and paths (none: the last ones), for "unchanged" to compare
        vector<string> items = Split(rest, '|');
        for (const auto& [item, state] : snapshot_) items.push_back(item);
        snapshot_.clear();
        for (const string& item : items) snapshot_.emplace_back(item, StateOf(Expanded(item)));
        return true;
    }
    if (verb == "unchanged") {
        for (const auto& [item, state] : snapshot_)
            if (StateOf(Expanded(item)) != state)
                return Fail(item + " changed: now " + StateOf(Expanded(item)).substr(0, 300));
        return true;
    }
    if (verb == "progman") veto_.groups_ = Replaced(rest, "|", "\r\n");
    if (verb == "veto" || verb == "progman") return veto_.Start();
    if (verb == "dde") return Expect("Program Manager commands", rest, [&] { return veto_.Executed(); });
    auto asked = [&] { return veto_.queries.load() > 0; };
    if (verb == "endsession" && rest == "1") return Expect("end-session queries", true, asked);
    if (verb == "endsession") return !WaitUntil(asked, 1500ms) || Fail("the session was asked to end");  // 1.5 s
    if (verb == "settingchange") return Expect("setting change", rest, [&] { return veto_.Changed(); });
    // The program and its windows.
    if (verb == "run" || verb == "start") {  // start: PROGRAM ARGUMENTS, a program on the machine
        StartOptions options;
        root_ = client_ = nullptr;  // the windows of the program before are no more
        options.outputFile = "C:\\robot-" + name_ + ".txt";
        output_ = options.outputFile;
        string command = '"' + WindowsPath(probe) + '"' + rest.substr(min<size_t>(rest.size(), 5));
        if (verb == "start") {
            options.workingDirectory = "C:\\";
            command = rest;
        } else if (!rest.starts_with("probe")) {
            string text;
            for (const string& l : script_) text += l + "\r\n";
            if (!script_.empty()) WriteFile(medium_ + "\\INSTALL.LST", text);
            CopyFileA(WindowsPath(program).c_str(), (medium_ + "\\SETUP.EXE").c_str(), FALSE);
            // The uninstaller built with it goes beside it, as mkmedia puts it.
            const string uninst = WindowsPath(program).substr(0, WindowsPath(program).find_last_of("\\/") + 1);
            CopyFileA((uninst + "uninst.exe").c_str(), (medium_ + "\\UNINST.EXE").c_str(), FALSE);
            options.workingDirectory = "C:\\";
            command = '"' + medium_ + "\\SETUP.EXE\"";
        }
        process_ = Process::Start(command, options);
        return process_.started() || Fail("cannot start " + command + ": error " + to_string(GetLastError()));
    }
    if (verb == "root") {
        root_ = WaitForWindow(process_.id(), rest, "MARROWFIELD");
        client_ = root_ ? FindWindowExA(root_, nullptr, "MARWCLIENT", nullptr) : nullptr;
        return client_ || Fail("no root window " + rest);
    }
    if (verb == "dialog") {
        WaitUntil(
            [&] {
                current_ = WaitForWindow(process_.id(), rest, "#32770", 0ms);
                if (!current_ && client_) current_ = FindWindowExA(client_, nullptr, "#32770", rest.c_str());
                return current_;
            },
            windowPatience_);
        seen_[rest] = current_;
        return current_ || Fail("no dialog " + rest);
    }
    if (verb == "box") {
        current_ = WaitForMessageBox(process_.id(), windowPatience_).box;
        return current_ && Expect("box caption", rest, [&] { return WindowText(current_); });
    }
    if (verb == "says") return Expect("box text", rest, [&] { return ControlText(current_, 0xFFFF); });
    if (verb == "gone") return Expect(rest + " gone", false, [&] { return IsWindow(seen_[rest]) != 0; });
    if (verb == "nobox") {
        auto box = [&] { return WaitForMessageBox(process_.id(), 0ms).box != nullptr; };
        return !WaitUntil(box, 1500ms) || Fail("a box came");
    }
    if (verb == "dialogs") {
        return Expect("dialogs", stoi(rest), [&] {
            auto dialog = [](HWND w) { return IsWindowVisible(w) && ClassName(w) == "#32770"; };
            return ranges::count_if(TopWindows(process_.id()), dialog);
        });
    }
    if (verb == "text") return Expect("text " + word, tail, [&] { return ControlText(current_, stoi(word)); });
    if (verb == "buttons") {
        return Expect("buttons", rest, [&] {
            string all;
            for (const string& label : ButtonLabels(current_)) all += (all.empty() ? "" : "|") + label;
            return all;
        });
    }
    if (verb == "default") {
        return Expect("default button", true,
                      [&] { return (GetWindowLongA(Button(rest), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON; });
    }
    if (verb == "focus") return Expect("focus", stoi(rest), [&] { return GetDlgCtrlID(FocusedWindowOf(current_)); });
    if (verb == "owner") return Expect("owner", rest, [&] { return WindowText(GetWindow(current_, GW_OWNER)); });
    if (verb == "disabled") return Expect("root enabled", false, [&] { return IsWindowEnabled(root_) != 0; });
    if (verb == "bar") {  // ID LOW HIGH POSITION of a progress bar
        auto ask = [bar = GetDlgItem(current_, stoi(w[0]))](UINT m, WPARAM wp) {
            return [=] { return SendMessageA(bar, m, wp, 0); };
        };
        return Expect("range", stoi(w[1]), ask(PBM_GETRANGE, TRUE)) &&
               Expect("range", stoi(w[2]), ask(PBM_GETRANGE, FALSE)) &&
               Expect("position", stoi(w[3]), ask(PBM_GETPOS, 0));
    }
    if (verb == "pos") {  // left and top: "centre" or a fraction of the screen; off by at most 1
        const RECT r = ScreenRectOf(current_);
        auto off = [](const string& s, LONG from, LONG to, int screen) {
            const LONG want = s == "centre" ? (screen - (to - from)) / 2 : LONG(stod(s) * screen);
            return [=] { return abs(from - want) <= 1 ? 0 : from - want; };
        };
        return Expect("left off by", 0, off(word, r.left, r.right, GetSystemMetrics(SM_CXSCREEN))) &&
               Expect("top off by", 0, off(tail, r.top, r.bottom, GetSystemMetrics(SM_CYSCREEN)));
    }
    if (verb == "pixels") {  // X,Y=RRGGBB ...
        bool all = true;
        for (const string& check : w) {
            const POINT p = Point(check.substr(0, check.find('=')));
            all = all && Expect("pixel " + check, Hex(stoul(check.substr(check.find('=') + 1), nullptr, 16)), [&] {
                      const Pixel c = ScreenPixel(p.x, p.y);
                      return Hex(c.red << 16 | c.green << 8 | c.blue);
                  });
        }
        return all;
    }
    if (verb == "count") {  // X1,Y1 X2,Y2 RRGGBB N: at least N such pixels (every 2nd row, 3rd column); 0: none
        const POINT from = Point(w[0]), to = Point(w[1]);
        const uint32_t c = stoul(w[2], nullptr, 16);
        const int n = stoi(w[3]);
        return Expect("pixels of " + rest, n, [&] {
            int found = 0;
            for (int y = from.y; y <= to.y; y += 2)
                for (int x = from.x; x <= to.x; x += 3)
                    found += ScreenPixel(x, y) == Pixel{int(c >> 16), int(c >> 8 & 255), int(c & 255)};
            return n == 0 ? found : min(found, n);
        });
    }
    if (verb == "redraw") return RedrawWindow(client_, nullptr, nullptr, RDW_INVALIDATE);
    // Pressing, as users and their tools do; a message box must go.
    if (verb == "click" || verb == "send" || verb == "mouse" || verb == "key") {
        HWND button = verb == "key" ? current_ : Button(rest);
        const bool box = GetDlgItem(current_, 0xFFFF);
        if (!button) return Fail("no button " + rest);
        const PressBy by = verb == "click" ? PressBy::Post : verb == "send" ? PressBy::Send : PressBy::Mouse;
        const bool pressed = verb == "key" ? PressKey(current_, rest) : Press(button, by);
        return pressed && (!box || Expect("box gone", false, [&] { return IsWindowVisible(current_) != 0; }));
    }
    if (verb == "type") {
        HWND field = GetDlgItem(current_, stoi(word));
        SendMessageA(field, WM_SETTEXT, 0, LPARAM(tail.c_str()));
        return PostMessageA(current_, WM_NEXTDLGCTL, WPARAM(field), TRUE);
    }
    if (verb == "exit") {
        DWORD code = ~0u;
        if (!process_.WaitForExit(kPatience, &code)) {
            string shown;  // what it still shows says where it stopped
            for (HWND w : TopWindows(process_.id()))
                if (IsWindowVisible(w)) shown += " [" + ClassName(w) + " \"" + WindowText(w) + "\"]";
            return Fail("still running after " + to_string(kPatience.count() / 1000) + " s, showing" +
                        (shown.empty() ? " nothing" : shown));
        }
        return Expect("exit code", stoul(rest), [&] { return code; });
    }
    if (verb == "output") {  // how the program's output begins, "\r" as CR LF
        const string begins = Replaced(rest, "\r", "\r\n");
        return Expect("output", begins, [&] { return ReadFile(output_).substr(0, begins.size()); });
    }
    // The verbs that did what they say, and those read before the scenario runs.
    const set<string> done = {"lst",     "set",   "include", "repeat", "patience", "write", "leave",
                              "version", "needs", "prefix",  "user",   "medium",   "nokey", "kill"};
    return done.contains(verb);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) return 100;
    directory = WindowsPath(argv[1]);
    program = argv[2];
    // The machine field of the program's header: 0x14C for i386.
    const string header = ReadFile(WindowsPath(program)).substr(0, 4096);
    program32 = header.size() > 0x40 && header.compare(*(const uint32_t*)&header[0x3C] + 4, 2, "\x4C\x01") == 0;
    probe = argc > 3 ? argv[3] : "";
    int failed = 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "\\*.txt").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
        const string file = found.cFileName, name = file.substr(0, file.size() - 4);
        int line = 0;
        bool skipped = false;
        const string failure = Scenario(name).Run(Split(ReadFile(directory + "\\" + file), '\n'), line, skipped);
        if (failure.empty())
            printf("%s: %s\n", name.c_str(), skipped ? "skipped" : "passed");
        else
            printf("SCENARIO FAILED %s.txt:%d: %s\n", name.c_str(), line, failure.c_str());
        fflush(stdout);
        failed += !failure.empty();
        if (failure.starts_with("cannot start")) return 77;  // not this program's fault: ctest skips
    }
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    return failed;
}
