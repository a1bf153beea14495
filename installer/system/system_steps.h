#pragma once
// The system changes on this machine: the collectors the install pass calls,
// the three apply steps, the clean-up and the restart.

#include <cstdint>
#include <span>

#include "driver/install_state.h"

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

// One conversation with Program Manager: makes the group current and adds
// the item. Texts zero-terminated, each length counting the zero byte.
void AddProgramItem(const char* group, int32_t groupLength, const char* command, int32_t commandLength,
                    const char* item, int32_t itemLength);
// One environment value in the registry, of the user or, for Administrator,
// of the machine; status: RegSetValueExA's result.
void SetEnvironmentValue(int32_t& status, const char* name, int32_t nameLength, const char* value,
                         int32_t valueLength);
// Tells running programs that the registry environment changed.
void AnnounceEnvironmentChange();
// The value of a variable where SetEnvironmentValue writes it (its text as
// stored, references unexpanded); false when there is none.
bool GetEnvironmentValue(const std::string& name, std::string& value);
