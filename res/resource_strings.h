// String table and icon identifiers.
#pragma once

inline constexpr int kIdsAboutBox = 101;
inline constexpr int kIdpSocketsInitFailed = 103;
inline constexpr int kIdrMainFrame = 128;  // application icon

inline constexpr const char* kAboutBoxText = "&About QN7_SETUPTOOL...";
inline constexpr const char* kSocketsInitFailedText = "Windows sockets initialization failed.";

// Text of a string-table entry, "" for an unknown ID.
constexpr const char* LoadResourceString(int id) {
    switch (id) {
        case kIdsAboutBox:
            return kAboutBoxText;
        case kIdpSocketsInitFailed:
            return kSocketsInitFailedText;
        default:
            return "";
    }
}
