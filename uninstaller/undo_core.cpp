// The uninstaller's decisions, apart from Windows.
#include "undo_core.h"

#include <cstddef>
#include <set>

namespace {

constexpr std::string_view kChanged = "changed since the installation";

// Paths compared as Windows does: letter case aside, a trailing backslash aside.
std::string Folded(std::string_view path)
{
    std::string folded;
    for (const char c : path) folded.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
    while (!folded.empty() && folded.back() == '\\') folded.pop_back();
    return folded;
}

std::string Parent(std::string_view path)
{
    const std::string folded = Folded(path);
    const std::size_t slash = folded.rfind('\\');
    return slash == std::string::npos ? "" : folded.substr(0, slash);
}

std::string ValueWhat(const UndoEntry& e)
{
    return "registry value " + e.root + "\\" + e.path + (e.name.empty() ? " (default)" : "\\" + e.name);
}

class Undoer {
public:
    Undoer(const std::vector<UndoEntry>& entries, const std::string& logPath, const std::string& recordPath,
           bool dryRun, UndoServices& s)
        : logPath_(logPath), recordPath_(recordPath), dry_(dryRun), s_(s)
    {
        for (const UndoEntry& e : entries) selfEntries_ += e.kind == UndoKind::kSelf;
    }

    void One(const UndoEntry& e)
    {
        // A file or an item a later installation into the same directory made again: the newest entry decides.
        const bool once = e.kind == UndoKind::kFile || e.kind == UndoKind::kReplaced || e.kind == UndoKind::kItem;
        if (once && !seen_.insert(Folded(e.path + "\\" + e.name)).second) return;
        switch (e.kind) {
        case UndoKind::kFile: return File(e);
        case UndoKind::kReplaced:
            return Add(UndoResult::kKept, "file " + e.path, "it was there before the installation");
        case UndoKind::kDirectory: return Directory(e);
        case UndoKind::kKey: return Key(e);
        case UndoKind::kValue: return Value(e);
        case UndoKind::kAutoexec: return Autoexec(e);
        case UndoKind::kGroup: return Group(e);
        case UndoKind::kItem: return Item(e);
        case UndoKind::kSelf:
            // A later installation into the same directory copied it again: it goes where the first one came.
            if (--selfEntries_ == 0) Self(e.path);
            return;
        }
    }
    // Where the record names no uninstaller, its own files still go.
    void End()
    {
        if (!selfDone_) Self("");
    }
    std::vector<UndoLine> lines;

private:
    void Add(UndoResult result, std::string what, std::string_view reason = {}, bool putBack = false)
    {
        failed_ = failed_ || result == UndoResult::kFailed;
        lines.push_back({result, std::move(what), std::string(reason), putBack});
    }
    // Undoes with act when it is not a dry run.
    template <typename Act>
    void Do(std::string what, Act act, std::string_view failure, bool putBack = false)
    {
        if (dry_) return Add(UndoResult::kPlanned, std::move(what), {}, putBack);
        const bool done = act();
        Add(done ? UndoResult::kUndone : UndoResult::kFailed, std::move(what), done ? "" : failure, putBack);
    }

    void File(const UndoEntry& e)
    {
        uint64_t size = 0, time = 0;
        std::string what = "file " + e.path;
        if (!s_.FileState(e.path, size, time)) return Add(UndoResult::kAlready, what);
        if (size != e.size || time != e.time) return Add(UndoResult::kKept, what, kChanged);
        Do(
            what, [&] { return s_.RemoveFile(e.path); }, "it could not be deleted");
    }

    void Directory(const UndoEntry& e)
    {
        std::string what = "directory " + e.path;
        if (!s_.DirectoryExists(e.path)) return Add(UndoResult::kAlready, what);
        if (dry_) return Add(UndoResult::kPlanned, what);
        if (s_.DirectoryEmpty(e.path))
            return Do(
                what, [&] { return s_.RemoveEmptyDirectory(e.path); }, "it could not be removed");
        // Only the uninstaller itself, still running, is left in it.
        if (selfLater_ && Folded(e.path) == Parent(selfPath_) &&
            s_.DirectoryEmpty(e.path, selfPath_.substr(selfPath_.rfind('\\') + 1)) &&
            s_.RemoveDirectoryAtRestart(e.path))
            return Add(UndoResult::kLater, what);
        Add(UndoResult::kKept, what, "it holds files the installation did not make");
    }

    void Key(const UndoEntry& e)
    {
        std::string what = "registry key " + e.root + "\\" + e.path;
        if (!s_.KeyExists(e.root, e.path)) return Add(UndoResult::kAlready, what);
        if (dry_) return Add(UndoResult::kPlanned, what);
        if (!s_.KeyEmpty(e.root, e.path))
            return Add(UndoResult::kKept, what, "it holds values or keys the installation did not make");
        Do(
            what, [&] { return s_.DeleteKey(e.root, e.path); }, "it could not be deleted");
    }

    void Value(const UndoEntry& e)
    {
        const RegistryData now = s_.ReadValue(e.root, e.path, e.name);
        std::string what = ValueWhat(e);
        const bool putBack = e.before.present;
        if (now == e.before) return Add(UndoResult::kAlready, what, {}, putBack);
        if (now != e.after) return Add(UndoResult::kKept, what, kChanged);
        Do(
            what, [&] { return s_.WriteValue(e.root, e.path, e.name, e.before); }, "it could not be written", putBack);
    }

    void Autoexec(const UndoEntry& e)
    {
        std::string what = "the variables in " + e.path, bytes;
        if (!s_.ReadWhole(e.path, bytes) || RemoveBlock(bytes, e.name) == BlockRemoval::kMissing)
            return Add(UndoResult::kKept, what, "their markers are not there as the installation wrote them");
        Do(
            what, [&] { return s_.WriteWhole(e.path, bytes); }, "the file could not be written");
    }

    void Group(const UndoEntry& e)
    {
        std::string what = "Start menu group " + e.path;
        const UndoServices::Group state = dry_ ? UndoServices::Group::kEmpty : s_.GroupState(e.path);
        if (state == UndoServices::Group::kGone) return Add(UndoResult::kAlready, what);
        if (state == UndoServices::Group::kItems)
            return Add(UndoResult::kKept, what, "it may hold items the installation did not add");
        Do(
            what, [&] { return s_.DeleteGroup(e.path); }, "Program Manager did not remove it");
    }

    // Program Manager does not tell an item that is gone from one it would not remove.
    void Item(const UndoEntry& e)
    {
        std::string what = "Start menu item " + e.path + "\\" + e.name;
        if (dry_) return Add(UndoResult::kPlanned, what);
        if (s_.DeleteItem(e.path, e.name)) return Add(UndoResult::kUndone, what);
        Add(UndoResult::kKept, what, "Program Manager did not remove it: it may be gone already");
    }

    // The log, the record and the uninstaller: the last of the files, and
    // only when everything before went well.
    void Self(const std::string& path)
    {
        selfDone_ = true;
        if (failed_) {
            Add(UndoResult::kKept, "the installation record " + recordPath_,
                "not everything could be undone: run the uninstaller again to try once more");
            return;
        }
        uint64_t size = 0, time = 0;
        for (const std::string* file : {&logPath_, &recordPath_}) {
            const std::string what = (file == &logPath_ ? "the installation log " : "the installation record ") + *file;
            if (!s_.FileState(*file, size, time)) continue;
            Do(
                what, [&] { return s_.RemoveFile(*file); }, "it could not be deleted");
        }
        if (path.empty()) return;
        const std::string what = "the uninstaller " + path;
        if (dry_) return Add(UndoResult::kPlanned, what);
        switch (s_.RemoveSelf(path)) {
        case UndoServices::Removal::kNow: return Add(UndoResult::kUndone, what);
        case UndoServices::Removal::kAtRestart:
            selfLater_ = true;
            selfPath_ = path;
            return Add(UndoResult::kLater, what);
        case UndoServices::Removal::kNot: return Add(UndoResult::kFailed, what, "it could not be deleted");
        }
    }

    const std::string logPath_, recordPath_;
    const bool dry_;
    UndoServices& s_;
    int selfEntries_ = 0;
    std::set<std::string> seen_;
    bool failed_ = false, selfDone_ = false, selfLater_ = false;
    std::string selfPath_;
};

}  // namespace

bool ReadUndoRecord(std::string_view text, std::vector<UndoEntry>& entries, int& badLine)
{
    entries.clear();
    badLine = 1;
    if (!text.starts_with(kUndoRecordHeader)) return false;
    badLine = 0;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(at, end - at);
        if (line.ends_with('\r')) line.remove_suffix(1);
        at = end + 1;
        ++badLine;
        if (badLine == 1) {
            if (line != kUndoRecordHeader) return false;
            continue;
        }
        if (line.empty()) continue;
        if (!ParseUndoEntry(line, entries.emplace_back())) return false;
    }
    badLine = 0;
    return true;
}

std::vector<UndoLine> Undo(const std::vector<UndoEntry>& entries, const std::string& logPath,
                           const std::string& recordPath, bool dryRun, UndoServices& services)
{
    Undoer undoer(entries, logPath, recordPath, dryRun, services);
    for (auto e = entries.rbegin(); e != entries.rend(); ++e) undoer.One(*e);
    undoer.End();
    return std::move(undoer.lines);
}

std::string UndoLineText(const UndoLine& line)
{
    std::string_view verb;
    switch (line.result) {
    case UndoResult::kUndone: verb = line.putBack ? "Put back: " : "Removed: "; break;
    case UndoResult::kLater: verb = "Removed at the next start of Windows: "; break;
    case UndoResult::kAlready: verb = line.putBack ? "Already as before: " : "Already gone: "; break;
    case UndoResult::kKept: verb = "Kept: "; break;
    case UndoResult::kFailed: verb = line.putBack ? "Not put back: " : "Not removed: "; break;
    case UndoResult::kPlanned: verb = line.putBack ? "To put back: " : "To remove: "; break;
    }
    std::string text = std::string(verb) + line.what;
    if (!line.reason.empty()) text.append(" (").append(line.reason).append(")");
    return text;
}
