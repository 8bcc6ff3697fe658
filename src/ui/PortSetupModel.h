#pragma once

#include "port/PortSetupValues.h"
#include "ui/PortKindForm.h"
#include "ui/SetupField.h"

#include <optional>
#include <string>
#include <vector>

// The rules of a port setup dialog, without widgets: the controls of the
// kind's transport group and of "General Port Setup" with their defaults,
// which of them the user may change in each mode, how choosing a data type or
// a TNC role changes the others, and the checks made on OK.
//
// The dialog shows Fields() and passes what the user does back through
// SetText / SetChecked / ChooseDataType / ChooseTnc; Accept either refuses
// with a message and the field to focus, or writes the confirmed values.
class CPortSetupModel {
  public:
    // The data type list in the order the dialog offers it.
    static const std::vector<std::string>& DataTypes();

    // Fills every control from the values (edit modes) or from the kind's
    // defaults where the values leave a text empty (new-port mode), then
    // applies the opening rules.
    explicit CPortSetupModel(const PortSetupValues& values);

    const CPortKindForm& Form() const { return m_form; }
    const std::vector<SetupField>& Fields() const { return m_fields; }
    // The field of that key; an empty field for a key the dialog lacks.
    const SetupField& Field(const std::string& key) const;

    // The chosen data type sends spots and keeps a filter: "Filters..." is
    // offered.
    bool FiltersApply() const { return m_filtersApply; }

    void SetText(const std::string& key, const std::string& text);
    void SetChecked(const std::string& key, bool checked);
    // The user picked another entry of "Port Data Type" or "Is TNC".
    void ChooseDataType(const std::string& dataType);
    void ChooseTnc(const std::string& role);

    struct Refusal {
        std::string key; // the field that gets the focus; empty for none
        std::string message;
    };
    // The OK checks in order; on success the confirmed values are written
    // into values (kind, mode and the names in use are kept).
    std::optional<Refusal> Accept(PortSetupValues& values) const;

  private:
    // The OK check of one edit: the message that refuses its text, or none.
    static std::optional<std::string> Refused(const SetupField& f);
    SetupField& Mutable(const std::string& key);
    void Build(const PortSetupValues& values);
    void ApplyOpeningRules(bool consolePresent);
    void ApplyDataTypeRule();
    void ApplyTncRule();
    void SetReadOnly(const std::string& key, bool readOnly);
    void SetEnabled(const std::string& key, bool enabled);

    const CPortKindForm& m_form;
    PortSetupMode m_mode;
    std::vector<std::string> m_existingNames;
    std::vector<SetupField> m_fields;
    SetupField m_none;
    bool m_filtersApply = false;
};
