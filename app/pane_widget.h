// A read-only text pane on screen. The TextPane base keeps the exact bytes (CR LF as given), so
// the submit and the slot save take what the user sees byte for byte; the widget only mirrors
// them, one displayed line per pane line.
#pragma once

#include <QPlainTextEdit>

#include "pane.h"

class PaneWidget : public QPlainTextEdit, public TextPane {
    Q_OBJECT
  public:
    explicit PaneWidget(QWidget* parent = nullptr);

    // "Courier New" where installed, else the system's fixed-width font, at the pane's size.
    void UseFixedWidthFont();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void OnCleared() override;
    void OnAppended(std::string_view text) override;
    void OnFrontRemoved(std::size_t bytes, int lines) override;
    void OnScrollToBottom() override;
};
