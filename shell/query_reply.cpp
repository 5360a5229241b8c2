#include "query_reply.h"

#include <string>

#include "query_texts.h"

void TakeQueryReply(Session& session, FormAccess& form, std::string_view reply) {
    const std::string cleaned = CleanQueryReply(reply);
    session.ShowScript(cleaned);
    session.ApplyScript(form, cleaned);
    session.Recompose(form);
}
