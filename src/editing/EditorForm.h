#pragma once
// EditorForm: what the controls of an editor hold — the text of every line edit, the value of every
// choice, radio group and check box, the editor's copy of every spectrum — and the one reading of its
// numeric fields. The window side copies its controls into the form before a button acts and back
// afterwards; the plain editor classes and the tests work on the form alone.
#include <map>
#include <string>
#include <vector>

#include "editing/EditorFields.h"
#include "model/Band.h"
#include "model/Validation.h"

namespace kelmora {

class EditorForm {
public:
    explicit EditorForm(std::vector<EditorField> fields);

    const std::vector<EditorField>& fields() const { return fields_; }
    // The row of a control, or null.
    const EditorField* Find(int controlId) const;

    // Number and text fields.
    const std::string& Text(int controlId) const;
    void SetText(int controlId, std::string text);
    // A number as the fields show it (up to 15 significant digits).
    void SetNumber(int controlId, double value);

    // Choices, radio groups and check boxes.
    int Value(int controlId) const;
    void SetValue(int controlId, int value);

    // Spectrum buttons: the editor's copy of the spectrum.
    const CBand& Spectrum(int controlId) const;
    void SetSpectrum(int controlId, CBand spectrum);

    // Whether the control is enabled by its table row's rule under the present values.
    bool IsEnabled(int controlId) const;

    // Reads every number field in table order, disabled ones too: the first text that is no finite
    // number, or whose number lies outside the field's limits, is the issue (the framework's message,
    // focus on that field) and nothing is read. After a read without issue, Number() gives the values.
    ValidationResult Read();
    // The number read from a field by the last successful Read (0 before any).
    double Number(int controlId) const;

private:
    std::vector<EditorField> fields_;
    std::map<int, std::string> texts_;
    std::map<int, int> values_;
    std::map<int, CBand> spectra_;
    std::map<int, double> numbers_;
};

}  // namespace kelmora
