#include "pane_widget.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

PaneWidget::PaneWidget(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTabChangesFocus(true);
    setUndoRedoEnabled(false);
    // The panes show no scroll bars; the wheel and the keys still scroll.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void PaneWidget::UseFixedWidthFont() {
    QFont fixed = QFontDatabase::hasFamily(QStringLiteral("Courier New"))
                      ? QFont(QStringLiteral("Courier New"))
                      : QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSizeF(font().pointSizeF());
    setFont(fixed);
}

void PaneWidget::keyPressEvent(QKeyEvent* event) {
    // The panes want Enter, read-only as they are, so it never reaches the dialog's default.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void PaneWidget::OnCleared() {
    clear();
    endsWithCr_ = false;
}

void PaneWidget::OnAppended(std::string_view text) {
    if (text.empty()) return;
    if (endsWithCr_ && text.front() == '\n') text.remove_prefix(1);
    endsWithCr_ = text.ends_with('\r');
    QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(shown);
}

void PaneWidget::OnFrontRemoved(std::size_t /*bytes*/) {
    // One displayed block per pane line: drop as many leading blocks as lines went.
    const int removed = document()->blockCount() - LineCount();
    if (removed <= 0) return;
    QTextCursor cursor(document()->firstBlock());
    cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, removed);
    cursor.removeSelectedText();
}

void PaneWidget::OnScrollToBottom() {
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}
