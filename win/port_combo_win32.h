// The port list (control 1019) on Windows: COM1 … COM16 and the present ports beyond them, each
// present one shown with what it is in the drop-down ("COM5 — USB-SERIAL CH340"), while each
// entry's text, and so the edit field and the port opened, is the port alone. The list draws
// its entries itself for that (owner-drawn, with strings). It follows hot-plug through Refresh.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "port_list.h"

class PortCombo {
  public:
    using Source = std::function<WindowsPortSources()>;

    void Attach(HWND combo);
    // Where the ports come from: the system, unless a test gives its own.
    void SetSource(Source source) { source_ = std::move(source); }

    // Lists the ports again. The port in the edit field stays there, selected when the list
    // holds it. Returns the ports present that came and went since the last listing.
    PortChanges Refresh();

    // What the drop-down shows of entry `index`: "COM5 — USB-SERIAL CH340".
    std::string EntryLabel(size_t index) const;

    // WM_MEASUREITEM, which comes while the dialog creates the list, before it is attached.
    static void MeasureItem(HWND dialog, MEASUREITEMSTRUCT& item);
    // WM_DRAWITEM of an entry of the drop-down.
    void DrawItem(const DRAWITEMSTRUCT& item) const;

  private:
    void FitDropDownWidth();

    HWND combo_ = nullptr;
    Source source_ = ReadWindowsPortSources;
    std::optional<std::vector<SerialPortInfo>> present_;  // none before the first listing
    std::vector<SerialPortInfo> entries_;
};
