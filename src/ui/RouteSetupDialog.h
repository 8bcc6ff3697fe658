#pragma once

#include <QDialog>

class CRouteSetupModel;
class QCheckBox;
class QComboBox;
class QPlainTextEdit;

// "Route Setup": Route From / Route To, "2 Way", the existing routes as text,
// and the buttons Add Route, Remove Route, Add Trace, Remove Trace and Done,
// over CRouteSetupModel. Controls are named "RouteFrom", "RouteTo", "TwoWay",
// "ExistingRoutes" and after their button texts.
class CRouteSetupDialog : public QDialog {
    Q_OBJECT
  public:
    CRouteSetupDialog(CRouteSetupModel& model, QWidget* parent = nullptr);

  private:
    void ShowRoutes();
    std::string From() const;
    std::string To() const;

    CRouteSetupModel& m_model;
    QComboBox* m_from = nullptr;
    QComboBox* m_to = nullptr;
    QCheckBox* m_twoWay = nullptr;
    QPlainTextEdit* m_routes = nullptr;
};
