// The alphabet of AT keys ("netmode", "wifi_conf", "CLport", "S2N_Stat" ...).
#pragma once

inline bool IsAtKeyCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}
