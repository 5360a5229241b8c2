// A pane on screen: a "RichEdit20A" control mirroring the TextPane's bytes. The TextPane keeps
// the exact text (CR LF as given), so the submit and the slot save take what the user sees byte
// for byte, whatever line breaks the control holds; text goes in and out as UTF-8.
#pragma once

#include <windows.h>

#include <string>

#include "pane.h"

class RichEditPane final : public TextPane {
  public:
    // The control; its options and font as the dialog sets them up.
    void Attach(HWND control);
    // "Courier New" for all text, the text to come included.
    void UseFixedWidthFont();
    // What the control shows, each line break as CR LF.
    std::string ShownText() const;

  protected:
    void OnCleared() override;
    void OnAppended(std::string_view text) override;
    void OnFrontRemoved(std::size_t bytes, int lines) override;
    void OnScrollToBottom() override;

  private:
    void ReplaceRange(LONG start, LONG end, const std::string& utf8);

    HWND control_ = nullptr;
};
