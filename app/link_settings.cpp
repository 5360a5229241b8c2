#include "link_settings.h"

#ifdef _WIN32
std::string g_strComPort = "COM11";
#else
std::string g_strComPort;
#endif
std::atomic<uint32_t> g_nLinkBaud{115200};
