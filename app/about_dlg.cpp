#include "about_dlg.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>

#include "app_icon.h"
#include "control_ids.h"
#include "resource_strings.h"
#include "template_builder.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    const DialogTemplate& dialog = kAboutDialogTemplate;
    QFont dialogFont = QApplication::font();
    dialogFont.setPointSize(dialog.fontPoints);
    setFont(dialogFont);
    const DialogBaseUnits units = DialogBaseUnits::Of(font());
    setWindowTitle(QString::fromUtf8(dialog.caption));
    setFixedSize(units.ToPixels(dialog.width, dialog.height));
    const ControlMap controls = BuildControls(this, dialog, units);
    const auto* iconControl = FindControl(dialog, kIdrMainFrame);
    const QRect iconRect = units.ToPixels(iconControl->rect);
    auto* icon = qobject_cast<QLabel*>(controls.at(kIdrMainFrame));
    icon->setPixmap(AppIcon().pixmap(iconRect.size()));
    auto* ok = qobject_cast<QPushButton*>(controls.at(ctl::kOk));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    ok->setFocus();
}
