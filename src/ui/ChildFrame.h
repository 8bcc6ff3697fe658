#pragma once

#include "platform/IPortView.h"

#include <QMdiSubWindow>
#include <QRect>

class CGuiDocument;
class CPortInputBar;
class CSpotweaverView;

// A window of a document inside the main frame: the traffic view above the
// input bar. The document's first window ("Main") shows the document's
// messages; every port has one more. The core sees it as an IPortView.
//
// Title: the document title alone while the document has one window, else
// the document title followed by ":" + name + " " + status.
// Placement: showCmd 1/2/3 and rcNormalPosition map to the window's state and
// normal geometry; the other stored fields are kept and saved back.
class CChildFrame : public QMdiSubWindow, public IPortView {
    Q_OBJECT
  public:
    CChildFrame(CGuiDocument& document, const std::string& name);

    // IPortView
    void AppendText(std::string_view text) override;
    void SetTitleParts(const std::string& name, const std::string& status) override;
    std::string PortName() const override { return m_name; }
    void AttachInput(CPortHandler* port) override;
    void DetachInput() override;
    WindowPlacement GetPlacement() const override;
    void SetPlacement(const WindowPlacement& placement) override;

    const std::string& TitleStatus() const { return m_status; }
    CGuiDocument& Document() const { return m_document; }
    CSpotweaverView& View() const { return *m_view; }
    CPortInputBar& InputBar() const { return *m_inputBar; }
    const WindowPlacement& SavedPlacement() const { return m_placement; }

    void RefreshTitle();
    // The window's height when its traffic shows this many lines.
    int HeightForLines(int lines) const;
    // FontSize is a logical height: its absolute value is the pixel height.
    void ApplyFont(int size, int weight, const std::string& face);
    // Closes the window without asking the document.
    void CloseQuietly();

  signals:
    void Minimised();

  protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void RememberNormalGeometry();
    std::string LineStamp() const;

    CGuiDocument& m_document;
    CSpotweaverView* m_view = nullptr;
    CPortInputBar* m_inputBar = nullptr;
    std::string m_name;
    std::string m_status;
    WindowPlacement m_placement;
    QRect m_normalGeometry;
    bool m_closingQuietly = false;
};
