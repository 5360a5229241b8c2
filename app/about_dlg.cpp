#include "about_dlg.h"

#include <QLabel>
#include <QPushButton>

#include "app_icon.h"
#include "control_ids.h"
#include "resource_strings.h"
#include "template_builder.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    const DialogTemplate& dialog = kAboutDialogTemplate;
    const DialogBaseUnits units = SetUpDialogWindow(this, dialog);
    const ControlMap controls = BuildControls(this, dialog, units);
    const auto* iconControl = FindControl(dialog, kIdrMainFrame);
    const QRect iconRect = units.ToPixels(iconControl->rect);
    auto* icon = qobject_cast<QLabel*>(controls.at(kIdrMainFrame));
    icon->setPixmap(AppIcon().pixmap(iconRect.size()));
    auto* ok = qobject_cast<QPushButton*>(controls.at(ctl::kOk));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    ok->setFocus();
}
