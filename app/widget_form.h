// The form seen through the core's FormAccess: the dialog's widgets, addressed by control ID.
#pragma once

#include <QString>
#include <map>
#include <string_view>

#include "form_access.h"

class QWidget;

// The core's UTF-8 text as Qt's.
inline QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

class WidgetForm : public FormAccess {
  public:
    void Add(int id, QWidget* widget) { widgets_[id] = widget; }
    QWidget* Widget(int id) const;

    bool IsChecked(int id) const override;
    std::string GetText(int id) const override;
    int GetSelectedIndex(int id) const override;
    std::string GetSelectedText(int id) const override;

    void SetText(int id, std::string_view text) override;
    void SetCheck(int id, bool checked) override;
    void Enable(int id, bool enabled) override;
    void SelectIndex(int id, int index) override;
    void SelectByPrefix(int id, std::string_view prefix) override;
    void FillList(int id, std::span<const char* const> entries) override;

  private:
    std::map<int, QWidget*> widgets_;
};
