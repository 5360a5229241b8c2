// Dialog units to pixels, as the Windows dialog manager maps them: the base units are the
// dialog font's average character width and its height; x px = du * width / 4,
// y px = du * height / 8, each rounded to the nearest pixel. A rectangle's position and size
// are mapped each on its own.
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

#include "dialog_template.h"

struct DialogBaseUnits {
    int width = 0;
    int height = 0;

    static DialogBaseUnits Of(const QFont& font);

    int ToPixelsX(int du) const { return (du * width + 2) / 4; }
    int ToPixelsY(int du) const { return (du * height + 4) / 8; }
    QRect ToPixels(const DialogRect& rect) const;
    QSize ToPixels(int widthDu, int heightDu) const;
};
