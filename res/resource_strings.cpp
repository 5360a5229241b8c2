#include "resource_strings.h"

const char* LoadResourceString(int id) {
    switch (id) {
        case kIdsAboutBox:
            return kAboutBoxText;
        case kIdpSocketsInitFailed:
            return kSocketsInitFailedText;
        default:
            return "";
    }
}
