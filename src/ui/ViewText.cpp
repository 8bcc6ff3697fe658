#include "ui/ViewText.h"

namespace {

bool IsBreak(char c) {
    return c == '\r' || c == '\n';
}

// "\n", "\r", "\r\n" or "\n\r": one line end, as one print.
bool IsLineEndAlone(std::string_view text) {
    return (text.size() == 1 && IsBreak(text[0])) ||
           (text.size() == 2 && IsBreak(text[0]) && IsBreak(text[1]) && text[0] != text[1]);
}

} // namespace

void CViewText::Print(std::string_view text, std::string_view lineStamp) {
    // A line received with CR LF reaches a port as the line and an empty
    // one; the empty line arrives as a print of a line end alone. The view
    // shows lines, so it ends no second line after one already ended.
    if (IsLineEndAlone(text) && !m_text.empty() && m_text.back() == '\n') {
        return;
    }
    std::string piece;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (IsBreak(c)) {
            if (i + 1 < text.size() && IsBreak(text[i + 1])) {
                ++i;
            }
            piece += '\n';
            m_atLineStart = true;
        } else if (c != '\0') {
            if (m_atLineStart) {
                piece += lineStamp;
                m_atLineStart = false;
            }
            piece += c;
        }
        if (piece.size() >= PieceEnd) {
            AppendPiece(piece);
            piece.clear();
        }
    }
    if (!piece.empty()) {
        AppendPiece(piece);
    }
}

void CViewText::AppendPiece(const std::string& piece) {
    if (m_text.size() > TrimAbove) {
        m_text.erase(0, TrimCount);
        m_removedSinceTake += TrimCount;
    }
    m_text += piece;
}

void CViewText::Clear() {
    m_text.clear();
    m_atLineStart = true;
    m_cleared = true;
}

CViewText::Change CViewText::TakeChange() {
    Change change;
    if (m_cleared || m_removedSinceTake > m_takenLength) {
        change.replaceAll = true;
        change.appended = m_text;
    } else {
        change.removedFront = m_removedSinceTake;
        change.appended = m_text.substr(m_takenLength - m_removedSinceTake);
    }
    m_cleared = false;
    m_removedSinceTake = 0;
    m_takenLength = m_text.size();
    return change;
}
