// What one dialog (or one command-line run) works on besides its form: the command pane and the
// log pane, the script last composed from the form, the flag that keeps the change handlers
// quiet while a script is applied, and the folder of the user slots.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "control_ids.h"
#include "form_access.h"
#include "pane.h"

class Session {
  public:
    Session() = default;
    Session(TextPane* cmdPane, TextPane* logPane) : cmdPane_(cmdPane), logPane_(logPane) {}
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Either pane may be null, and writes to a missing pane are dropped.
    TextPane* CmdPane() const { return cmdPane_; }
    TextPane* LogPane() const { return logPane_; }
    void SetPanes(TextPane* cmdPane, TextPane* logPane);
    // The script last composed from the form.
    const std::string& Script() const { return script_; }
    // Set while ApplyScript writes to the form.
    bool Applying() const { return applying_; }
    // The folder of the slot files; the current directory unless set.
    const std::filesystem::path& SlotDirectory() const { return slotDirectory_; }
    void SetSlotDirectory(std::filesystem::path dir) { slotDirectory_ = std::move(dir); }

    // Replaces the command pane's text, trims it to the cap and scrolls to the bottom.
    void ShowScript(std::string_view text);
    // Appends to the log pane, trims it and scrolls to the bottom.
    void AppendLog(std::string_view text);
    // printf-style AppendLog; any length.
    void LogPrintf(const char* format, ...) QN7_PRINTF_FORMAT(2, 3);

    // The applier with the handlers kept quiet for the whole of it.
    void ApplyScript(FormAccess& form, std::string_view script);
    // Composes the form into Script() and shows it.
    void Recompose(const FormAccess& form);
    // The one entry point for a form field's notification: recomposes and, for clicks and
    // selections, reapplies, as the field's row says. Returns false for a control and
    // notification pair that is not a form change (the caller dispatches it elsewhere).
    bool OnFormChanged(FormAccess& form, int id, Notify code);
    // Fresh form: show the first preset in the command pane and apply it.
    void StartUpForm(FormAccess& form);

    // Shows a slot in the command pane, up to a NUL it may hold. A slot that does not exist
    // changes nothing and returns false; one that cannot be read (a link, not a regular file,
    // over kMaxScriptBytes) changes nothing and is reported in the log pane.
    bool LoadUserSlot(std::string_view name);
    // Saves the command pane's text atomically (temporary file, then rename). A failure leaves
    // the old slot intact and is reported in the log pane. A slot that was a symbolic link
    // becomes a private regular file, and a writable slot in a folder where no file may be
    // created is rewritten in place; both are reported in the log pane. Returns true on
    // success; false, and writes nothing, while there is no command pane.
    bool SaveUserSlot(std::string_view name);

  private:
    TextPane* cmdPane_ = nullptr;
    TextPane* logPane_ = nullptr;
    std::string script_;
    bool applying_ = false;
    std::filesystem::path slotDirectory_ = ".";
};
