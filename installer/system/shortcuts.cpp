// The Program Manager conversation of the Start menu step.
#include <windows.h>
#include <ddeml.h>

#include <string>
#include <vector>

#include "driver/change_record.h"
#include "system/dde_callback.h"
#include "system/system_lines.h"
#include "system/system_steps.h"

namespace {

// A DDE instance, ended by DdeUninitialize.
class DdeInstance {
public:
    DdeInstance() { ok_ = DdeInitializeA(&id_, DdeClientCallback, APPCMD_CLIENTONLY, 0) == DMLERR_NO_ERROR; }
    DdeInstance(const DdeInstance&) = delete;
    DdeInstance& operator=(const DdeInstance&) = delete;
    ~DdeInstance()
    {
        if (ok_) DdeUninitialize(id_);
    }
    bool ok() const { return ok_; }
    DWORD id() const { return id_; }

private:
    DWORD id_ = 0;
    bool ok_ = false;
};

// A DDE string handle, freed with DdeFreeStringHandle.
class DdeString {
public:
    DdeString(DWORD instance, const char* text)
        : instance_(instance), h_(DdeCreateStringHandleA(instance, text, CP_WINANSI))
    {
    }
    DdeString(const DdeString&) = delete;
    DdeString& operator=(const DdeString&) = delete;
    ~DdeString()
    {
        if (h_) DdeFreeStringHandle(instance_, h_);
    }
    HSZ get() const { return h_; }

private:
    DWORD instance_;
    HSZ h_;
};

// The group names Program Manager reports (an empty table without a reply);
// false when it did not answer in time.
bool RequestGroups(DWORD instance, HCONV conversation, HSZ item, GroupNameTable& groups)
{
    HDDEDATA data = DdeClientTransaction(nullptr, 0, conversation, item, CF_TEXT, XTYP_REQUEST, 1000, nullptr);
    if (data == nullptr || data == reinterpret_cast<HDDEDATA>(1))
        return DdeGetLastError(instance) != DMLERR_DATAACKTIMEOUT;
    DWORD size = 0;
    const BYTE* bytes = DdeAccessData(data, &size);
    std::vector<char> reply(bytes, bytes + (bytes ? size : 0));
    reply.push_back('\0');
    DdeUnaccessData(data);
    DdeFreeDataHandle(data);
    groups.Fill(reply.data());
    return true;
}

bool Execute(DWORD instance, HCONV conversation, const std::string& command, DWORD timeout)
{
    std::vector<BYTE> text(command.begin(), command.end());
    text.push_back(0);
    HDDEDATA data = DdeCreateDataHandle(instance, text.data(), static_cast<DWORD>(text.size()), 0, nullptr, CF_TEXT, 0);
    return DdeClientTransaction(reinterpret_cast<LPBYTE>(data), static_cast<DWORD>(-1), conversation, nullptr, 0,
                                XTYP_EXECUTE, timeout, nullptr) != nullptr;
}

}  // namespace

namespace {

// A conversation with Program Manager, ended when it goes.
class ProgramManager {
public:
    ProgramManager() : service_(instance_.id(), "PROGMAN")
    {
        CONVCONTEXT context{};
        context.cb = sizeof context;
        if (instance_.ok()) conversation_ = DdeConnect(instance_.id(), service_.get(), service_.get(), &context);
    }
    ProgramManager(const ProgramManager&) = delete;
    ProgramManager& operator=(const ProgramManager&) = delete;
    ~ProgramManager()
    {
        if (conversation_) DdeDisconnect(conversation_);
    }
    DWORD id() const { return instance_.id(); }
    HCONV get() const { return conversation_; }

private:
    DdeInstance instance_;
    DdeString service_;
    HCONV conversation_ = nullptr;
};

}  // namespace

bool ProgramManagerExecute(const std::string& commands)
{
    ProgramManager progman;
    return progman.get() && Execute(progman.id(), progman.get(), commands, 10000);
}

bool ProgramManagerRequest(const std::string& item, std::string& reply)
{
    ProgramManager progman;
    if (!progman.get()) return false;
    DdeString name(progman.id(), item.c_str());
    HDDEDATA data = DdeClientTransaction(nullptr, 0, progman.get(), name.get(), CF_TEXT, XTYP_REQUEST, 5000, nullptr);
    if (data == nullptr || data == reinterpret_cast<HDDEDATA>(1)) return false;
    DWORD size = 0;
    const BYTE* bytes = DdeAccessData(data, &size);
    reply.assign(reinterpret_cast<const char*>(bytes), bytes ? size : 0);
    reply.resize(reply.find('\0') == std::string::npos ? reply.size() : reply.find('\0'));
    DdeUnaccessData(data);
    DdeFreeDataHandle(data);
    return true;
}

bool AddProgramItems(std::span<const ShortcutEntry> entries)
{
    if (entries.empty()) return true;
    DdeInstance instance;
    if (!instance.ok()) return false;
    DdeString progman(instance.id(), "PROGMAN");
    CONVCONTEXT context{};
    context.cb = sizeof context;
    HCONV conversation = DdeConnect(instance.id(), progman.get(), progman.get(), &context);
    if (!conversation) return false;
    // The groups are asked for once; a group the conversation makes is added to them.
    DdeString groupsItem(instance.id(), "Groups");
    GroupNameTable groups;
    bool added = RequestGroups(instance.id(), conversation, groupsItem.get(), groups);
    for (std::size_t i = 0; added && i < entries.size(); ++i) {
        const ShortcutEntry& e = entries[i];
        const bool made = !groups.Contains(e.group);
        added = Execute(instance.id(), conversation, GroupCommand(groups, e.group), 10000);
        if (added && made) RecordChange(MakeUndoEntry(UndoKind::kGroup, e.group));
        added = added && Execute(instance.id(), conversation, AddItemCommand(e.command, e.item), 1000);
        if (added) RecordChange(MakeUndoEntry(UndoKind::kItem, e.group, e.item));
        if (made) groups.Add(e.group);
    }
    DdeDisconnect(conversation);
    return added;
}
