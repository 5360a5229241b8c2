// The Query button's follow-up, used by the dialog and by qn7cfg alike.
#pragma once

#include <string_view>

#include "form_access.h"
#include "session.h"

// The reply cleaned (every "?\r\r\n" removed, so each answer reads as a script line), shown in
// the command pane and applied to the form; then the form recomposed and shown. An empty reply
// (no module answered) clears the form as an empty script does.
void TakeQueryReply(Session& session, FormAccess& form, std::string_view reply);
