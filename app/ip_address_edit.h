// An IPv4 address control: four number fields with dots between them. Like the Windows
// control it reports a field change when the user leaves a field it has changed; blank fields
// read as 0, so a blank control reads "0.0.0.0". SetText("") blanks it.
#pragma once

#include <QFrame>
#include <array>
#include <string>
#include <string_view>

class QLineEdit;

class IpAddressEdit : public QFrame {
    Q_OBJECT
  public:
    explicit IpAddressEdit(QWidget* parent = nullptr);

    std::string Text() const;
    void SetText(std::string_view text);
    bool IsBlank() const;
    QLineEdit* Field(int index) const { return fields_[index]; }

  signals:
    void fieldChanged(int field);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void OnFieldEdited(int index);
    void FinishField(int index);
    void MoveToField(int index);

    std::array<QLineEdit*, 4> fields_{};
    std::array<QString, 4> reported_;  // text at the last notification or SetText
};
