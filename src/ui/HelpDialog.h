#pragma once

#include <QDialog>

class QLineEdit;
class QTextBrowser;
class QTreeWidget;
class QTreeWidgetItem;

// Help Topics: the user's guide in a window of its own beside the program,
// not modal. A contents list made from the guide's headings leads to each
// part, a search field finds text (again and again with Enter), links inside
// the guide lead to their heading and links outside it open in the desktop's
// browser. Pictures are shown no wider than the text.
class CHelpDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CHelpDialog(QWidget* parent = nullptr);

    // The guide bundled into the program.
    static QString GuideText();
    // The anchor a heading's text gives, as links in the guide spell it:
    // "Adding ports" -> "adding-ports".
    static QString AnchorOf(const QString& heading);

    QTreeWidget& Contents() const { return *m_contents; }
    QTextBrowser& Browser() const { return *m_browser; }
    // Shows the heading with this anchor at the top; false when none has it.
    bool ShowAnchor(const QString& anchor);
    // Selects the next place that holds text, from the top again after the
    // last; false when the guide does not hold it.
    bool FindNext(const QString& text);

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void FillContents();
    void ShowHeading(int blockNumber);
    void OpenLink(const QUrl& url);
    void FitPictures();

    QTreeWidget* m_contents = nullptr;
    QTextBrowser* m_browser = nullptr;
    QLineEdit* m_search = nullptr;
};
