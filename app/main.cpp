#include "qn7_setuptool_app.h"

int main(int argc, char** argv) {
    CQN7_SETUPTOOLApp app(argc, argv);
    return app.InitInstance();
}
