// A pane of the Bridge window: paints the rows of a TrafficScrollback that fit, so a flood costs
// the rows on screen, not the rows that came. It follows the newest row while scrolled to the
// bottom, and otherwise keeps the reader's place as old rows go.
#pragma once

#include <QAbstractScrollArea>

#include "traffic_scrollback.h"

class TrafficView : public QAbstractScrollArea {
    Q_OBJECT
  public:
    explicit TrafficView(const TrafficScrollback& scrollback, QWidget* parent = nullptr);

    void SetTimestamps(bool shown);
    // The scrollback changed: new rows, rows gone at the front or another format.
    void RowsChanged();
    // The rows on screen as shown, top to bottom.
    QStringList VisibleRows() const;
    // Repaints so far (the benchmark counts them).
    uint64_t Paints() const { return paints_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    int RowHeight() const;
    int VisibleRowCount() const;
    void UpdateRanges();

    const TrafficScrollback& scrollback_;
    bool timestamps_ = true;
    uint64_t dropped_ = 0;  // the scrollback's RowsDropped when last seen
    uint64_t paints_ = 0;
};
