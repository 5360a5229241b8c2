#include "dialog_template.h"

const ControlTemplate* FindControl(const DialogTemplate& dialog, int id) {
    if (id == kStaticId) return nullptr;
    for (const ControlTemplate& control : dialog.controls) {
        if (control.id == id) return &control;
    }
    return nullptr;
}
