#include "form_schema.h"
#include "presets.h"
#include "script_form.h"
#include "session.h"

namespace {

// Keeps the change handlers quiet for the whole apply, whichever way it returns.
class ApplyingScope {
  public:
    explicit ApplyingScope(bool& applying) : applying_(applying) { applying_ = true; }
    ~ApplyingScope() { applying_ = false; }
    ApplyingScope(const ApplyingScope&) = delete;
    ApplyingScope& operator=(const ApplyingScope&) = delete;

  private:
    bool& applying_;
};

}  // namespace

void Session::ApplyScript(FormAccess& form, std::string_view script) {
    const ApplyingScope applying(applying_);
    ::ApplyScript(form, script);
}

void Session::Recompose(const FormAccess& form) {
    script_ = ComposeScript(form);
    ShowScript(script_);
}

bool Session::OnFormChanged(FormAccess& form, int id, Notify code) {
    const FormField* field = FindFormField(id);
    if (field == nullptr || field->change != code) return false;
    if (!applying_) {
        Recompose(form);
        if (field->reaction != Reaction::kRecompose) ApplyScript(form, script_);
    }
    if (field->reaction == Reaction::kReapplyServer) form.Enable(ctl::kLocalPort, false);
    if (field->reaction == Reaction::kReapplyClient) form.Enable(ctl::kLocalPort, true);
    return true;
}

void Session::StartUpForm(FormAccess& form) {
    ShowScript(FirstPresetScript());
    ApplyScript(form, FirstPresetScript());
}
