// The applier over the in-memory form, fed arbitrary script text, then composed again.
#include <cstdint>
#include <string_view>

#include "form_model.h"
#include "script_form.h"
#include "script_invariants.h"
#include "session.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view script(reinterpret_cast<const char*>(data), size);
    FormModel form;
    Session session;
    form.SetNotifyHandler([&](int id, Notify code) { session.OnFormChanged(form, id, code); });
    session.StartUpForm(form);
    session.ApplyScript(form, script);
    RequireCommandLinesOnly(ComposeScript(form));
    return 0;
}
