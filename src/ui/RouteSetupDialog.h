#pragma once

#include <QDialog>

class CRouteSetupModel;
class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

// "Route Setup": Route From / Route To, "2 Way", the existing routes one per
// row ("CON → TEL", traces as "CON → LOG (trace)"), and the buttons Add
// Route, Remove Route, Add Trace, Remove Trace and Done, over
// CRouteSetupModel. Remove Route takes away the selected row (and its
// reverse with 2 Way); selecting a row puts its ports into the two lists.
// What each button did, or why it did nothing, shows under the list.
// Controls are named "RouteFrom", "RouteTo", "TwoWay", "ExistingRoutes",
// "RouteResult" and after their button texts.
class CRouteSetupDialog : public QDialog {
    Q_OBJECT
  public:
    CRouteSetupDialog(CRouteSetupModel& model, QWidget* parent = nullptr);

  private:
    void ShowRoutes();
    void AddRoute();
    void RemoveSelectedRoute();
    void OnRowSelected();
    void Confirm(const QString& text);
    std::string From() const;
    std::string To() const;

    CRouteSetupModel& m_model;
    QComboBox* m_from = nullptr;
    QComboBox* m_to = nullptr;
    QCheckBox* m_twoWay = nullptr;
    QListWidget* m_routes = nullptr;
    QLabel* m_result = nullptr;
    QPushButton* m_remove = nullptr;
};
