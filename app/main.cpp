#include "command_line.h"
#include "qn7_setuptool_app.h"
#include "serial_port.h"

int main(int argc, char** argv) {
    ReserveStandardDescriptors();
    if (const std::optional<int> status = AnswerHelpOrVersion(argc, argv)) return *status;
    CQN7_SETUPTOOLApp app(argc, argv);
    return app.InitInstance();
}
