#include "ui/ViewText.h"

namespace {

bool IsBreak(char c) {
    return c == '\r' || c == '\n';
}

} // namespace

void CViewText::Print(std::string_view text) {
    std::string piece;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (IsBreak(c)) {
            if (i + 1 < text.size() && IsBreak(text[i + 1])) {
                ++i;
            }
            piece += '\n';
        } else if (c != '\0') {
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
