#pragma once
// The system changes on this machine: the collectors the install pass calls,
// the three apply steps, the clean-up and the restart.

#include <cstdint>
#include <span>
#include <string>

#include "driver/install_state.h"
#include "system/system_lines.h"

// False when the install pass must end (the user has been told).
bool CollectShortcut(std::span<char> arguments);
bool CollectAssociation(std::span<char> arguments);
bool CollectVariable(std::span<char> arguments);
void CloseTemporaryFiles();

void ApplyShortcuts(Logical& runOK);
void ApplyVariables(Logical& runOK);
void ApplyAssociations(Logical& runOK);

void RemoveTemporaryFiles();
// status: the result of ExitWindowsEx, non-zero when Windows took the request.
void RestartWindows(int32_t& status);

// One conversation with Program Manager for all the entries: it asks for the
// groups, then for each entry makes its group current and adds the item.
// It ends at the first transaction that fails or times out (a hung Program
// Manager holds the run once, not once an entry); true when all were added.
bool AddProgramItems(std::span<const ShortcutEntry> entries);
// Program Manager for the uninstaller, one conversation each: the commands
// sent as one (false when they were not all carried out), and the text of a
// request (false without an answer).
bool ProgramManagerExecute(const std::string& commands);
bool ProgramManagerRequest(const std::string& item, std::string& reply);

// One environment value in the registry, of the user or, for Administrator,
// of the machine; status: RegSetValueExA's result.
void SetEnvironmentValue(int32_t& status, const char* name, int32_t nameLength, const char* value, int32_t valueLength);
// Tells running programs that the registry environment changed.
void AnnounceEnvironmentChange();
// The value of a variable where SetEnvironmentValue writes it (its text as
// stored, references unexpanded); false when there is none.
bool GetEnvironmentValue(const std::string& name, std::string& value);
