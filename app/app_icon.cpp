#include "app_icon.h"

// The icons are compiled into a static library: nothing refers to their resource object, so the
// linker leaves it out unless it is registered by name.
static void RegisterIconResource() {
    Q_INIT_RESOURCE(icons);
}

QIcon AppIcon() {
    static const bool registered = (RegisterIconResource(), true);
    (void)registered;
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/qn7-setup-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}
