// Form <-> script: the composer, the applier and the form's change handling.
#pragma once

#include <string>
#include <string_view>

#include "control_ids.h"
#include "form_access.h"

// The script last composed from the form.
extern std::string g_szScript;
// Set while ApplyScript writes to the form; the change handlers stay quiet meanwhile.
extern bool g_bApplying;

// Form -> script, line for line; reads the form only.
std::string ComposeScript(const FormAccess& form);
// Script (composed, preset, slot or cleaned query reply) -> form, with the enabling rules.
void ApplyScript(FormAccess& form, std::string_view script);

// The one entry point for a form control's notification (work mode, DHCP, protocol radios,
// lists, IP controls, edits). Recomposes into g_szScript, shows it in the command pane and,
// for clicks and selections, reapplies it. Returns false for a control/notification pair that
// is not a form change (the caller dispatches it elsewhere).
bool OnFormChanged(FormAccess& form, int id, Notify code);

// Fresh form: show the first preset in the command pane and apply it.
void StartUpForm(FormAccess& form);
