// The application icon (icon 128) in all its sizes.
#pragma once

#include <QIcon>

QIcon AppIcon();
