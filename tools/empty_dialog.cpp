// An empty Qt dialog of the main dialog's size: the start-up yardstick of bench_startup.sh.
#include <QApplication>
#include <QDialog>

#include "window_probe.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QDialog dialog;
    dialog.resize(682, 549);
    WatchWindowForProbe(dialog);
    dialog.exec();
    return 0;
}
