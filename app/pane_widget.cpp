#include "pane_widget.h"

#include <QKeyEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

PaneWidget::PaneWidget(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTabChangesFocus(true);
    setUndoRedoEnabled(false);
    // Scroll bars appear when the text needs them, so long reply lines can be read to the end.
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void PaneWidget::UseFixedWidthFont() {
    // Where "Courier New" is missing, the type-writer hint picks the system's fixed-width face,
    // without listing every font the system has to find out.
    QFont fixed(QStringLiteral("Courier New"));
    fixed.setStyleHint(QFont::TypeWriter);
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
}

void PaneWidget::OnAppended(std::string_view text) {
    // The pane's text already ends with `text`; a CR just before it pairs with a leading LF.
    const std::string& all = Text();
    const std::size_t start = all.size() - text.size();
    const std::string shown = BreaksAsLf(text, start > 0 && all[start - 1] == '\r');
    if (shown.empty()) return;
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QString::fromUtf8(shown.data(), static_cast<qsizetype>(shown.size())));
}

void PaneWidget::OnFrontRemoved(std::size_t /*bytes*/, int lines) {
    // The whole text went: the widget shows one empty line, as the pane has.
    if (Text().empty()) {
        clear();
        return;
    }
    // Otherwise each line that went had its break, and is one leading block.
    QTextCursor cursor(document()->firstBlock());
    cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, lines);
    cursor.removeSelectedText();
}

void PaneWidget::OnScrollToBottom() {
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}
