#pragma once

#include "platform/IPortView.h"

#include <string>

// A port window that keeps everything written to it.
class RecordingPortView : public IPortView {
  public:
    void AppendText(std::string_view text) override { text_.append(text); }
    void SetTitleParts(const std::string& name, const std::string& status) override {
        name_ = name;
        status_ = status;
    }
    std::string PortName() const override { return name_; }
    void AttachInput(CPortHandler* port) override { inputPort = port; }
    void DetachInput() override { inputPort = nullptr; }
    WindowPlacement GetPlacement() const override { return placement; }
    void SetPlacement(const WindowPlacement& p) override { placement = p; }

    const std::string& Text() const { return text_; }
    void ClearText() { text_.clear(); }
    const std::string& Status() const { return status_; }

    CPortHandler* inputPort = nullptr;
    WindowPlacement placement;
    bool closed = false;

  private:
    std::string text_;
    std::string name_;
    std::string status_;
};
